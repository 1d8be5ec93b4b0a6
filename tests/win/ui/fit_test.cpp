// Every text of every window is whole at the font and DPI the bed runs
// with: the main window with a disc listed, the progress window in a
// session, Make Directory, About and every menu. Each text is measured with
// its control's own font on the control's DC and held against the room the
// control gives it. run_fit.sh runs this at several DPIs and fonts.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ripper/engine/drawn_caption.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/session_lines.h"
#include "ripper/engine/twips.h"
#include "ripper/ui/about_box.h"
#include "ripper/ui/cddbui_ids.h"
#include "ripper/ui/form1.h"
#include "ripper/ui/form1_ids.h"
#include "ripper/ui/form4.h"
#include "ripper/ui/options_menu.h"
#include "ripper/ui/read_offset_dialog.h"
#include "tests/win/ui/scripted_parts.h"

namespace {

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s += c >= 32 && c < 127 ? char(c) : '?';
  return s;
}

std::wstring ClassOf(HWND h) {
  wchar_t buf[64] = {};
  GetClassNameW(h, buf, 64);
  return buf;
}

std::wstring TextOf(HWND h) {
  std::wstring s(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
  s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
  return s;
}

struct Fit {
  std::string where, text;
  int need = 0, room = 0;  // pixels
  bool whole = true;       // fits, or can be read whole another way
  std::string how;
};

int DpiOf(HWND h) {
  using Fn = UINT(WINAPI*)(HWND);
  static auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  UINT d = fn ? fn(h) : 0;
  if (d) return int(d);
  HDC dc = GetDC(nullptr);
  int y = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return y;
}

// The text's extent in the control's own font on the control's DC.
SIZE Extent(HWND h, const std::wstring& text, HFONT font) {
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  SIZE sz{};
  GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &sz);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return sz;
}

HFONT FontOf(HWND h) { return reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)); }

// A tooltip of this thread that shows the control's whole text.
bool TooltipShows(HWND control, const std::wstring& text) {
  struct Look {
    HWND control;
    const std::wstring* text;
    bool found;
  } look{control, &text, false};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) CALLBACK -> BOOL {
        auto* l = reinterpret_cast<Look*>(p);
        if (ClassOf(w) != TOOLTIPS_CLASSW) return TRUE;
        int n = int(SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
          TOOLINFOW ti{};
          ti.cbSize = sizeof ti;
          if (!SendMessageW(w, TTM_ENUMTOOLSW, WPARAM(i), reinterpret_cast<LPARAM>(&ti))) continue;
          if (!(ti.uFlags & TTF_IDISHWND) || reinterpret_cast<HWND>(ti.uId) != l->control) continue;
          std::vector<wchar_t> buf(l->text->size() + 64, L'\0');
          ti.lpszText = buf.data();
          SendMessageW(w, TTM_GETTEXTW, WPARAM(buf.size()), reinterpret_cast<LPARAM>(&ti));
          if (*l->text == buf.data()) l->found = true;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&look));
  return look.found;
}

// The reader's verified-read members play no part in any window.
struct FitReader : ScriptedReader {
  void SetReadOptions(const ReadOptions&) override {}
  TrackProof LastTrackProof() override { return {}; }
};

class FitTest : public ::testing::Test {
 protected:
  void SetUp() override { CaptureMessages(messages); }
  void TearDown() override {
    form.reset();
    DropQuit();
    SetUserMessageHook(nullptr);
  }

  void Add(const std::string& where, const std::wstring& text, int need, int room, bool other = false,
           const std::string& how = "") {
    fits.push_back({where, Narrow(text), need, room, need <= room || other, need <= room ? "" : how});
  }

  // One control: buttons, frames, labels, text boxes and list entries.
  void Measure(const std::string& window, HWND c) {
    const std::wstring cls = ClassOf(c);
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    const int dpi = dpiOverride ? dpiOverride : DpiOf(c);
    auto px = [dpi](int at96) { return MulDiv(at96, dpi, 96); };
    RECT rc{};
    GetClientRect(c, &rc);
    const std::wstring text = TextOf(c);
    const HFONT font = FontOf(c);
    const std::string where = window + " " + Narrow(cls) + " #" + std::to_string(GetDlgCtrlID(c));
    if (!IsWindowVisible(c)) return;
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      if (text.empty()) return;
      const LONG_PTR kind = style & BS_TYPEMASK;
      SIZE sz = Extent(c, DrawnCaption(text), font);
      if (kind == BS_GROUPBOX) {
        // The caption is drawn inside the frame's line, a few pixels in.
        Add(where, text, sz.cx + 2 * px(8), rc.right);
      } else {
        // Border and focus rectangle on either side.
        Add(where, text, sz.cx + 2 * px(4), rc.right);
        Add(where + " height", text, sz.cy + 2 * px(2), rc.bottom);
      }
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      if (text.empty() || (style & SS_TYPEMASK) == SS_OWNERDRAW) return;
      HDC dc = GetDC(c);
      HGDIOBJ old = SelectObject(dc, font);
      RECT r{0, 0, rc.right, 0};
      std::wstring t = (style & SS_NOPREFIX) ? text : DrawnCaption(text);
      DrawTextW(dc, t.c_str(), int(t.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      SIZE one{};
      GetTextExtentPoint32W(dc, t.c_str(), int(t.size()), &one);
      SelectObject(dc, old);
      ReleaseDC(c, dc);
      // A label wraps at spaces: its lines must all be inside it.
      Add(where + " height", text, r.bottom, rc.bottom);
      if (t.find_first_of(L"\r\n ") == std::wstring::npos) Add(where, text, one.cx, rc.right);
    } else if (_wcsicmp(cls.c_str(), L"Edit") == 0) {
      if (text.empty()) return;
      LRESULT m = SendMessageW(c, EM_GETMARGINS, 0, 0);
      SIZE sz = Extent(c, text, font);
      if (style & ES_MULTILINE) {
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, font);
        RECT r{0, 0, rc.right - LOWORD(m) - HIWORD(m), 0};
        DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        Add(where + " height", text, r.bottom, rc.bottom, TooltipShows(c, text), "tooltip");
      } else {
        Add(where, text, sz.cx + LOWORD(m) + HIWORD(m), rc.right, TooltipShows(c, text), "tooltip");
      }
      Add(where + " height", text, sz.cy, rc.bottom);
    } else if (_wcsicmp(cls.c_str(), L"ListBox") == 0) {
      if (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) return;  // drawn by the program
      const int n = int(SendMessageW(c, LB_GETCOUNT, 0, 0));
      const int scroll = (style & WS_HSCROLL) ? int(SendMessageW(c, LB_GETHORIZONTALEXTENT, 0, 0)) : 0;
      for (const std::wstring& item : ListItems(c)) {
        SIZE sz = Extent(c, item, font);
        // An entry wider than the list can be scrolled into view.
        Add(where + " entry", item, sz.cx + 2 * px(2), rc.right, scroll >= sz.cx, "scrolls");
      }
      (void)n;
    }
  }

  void MeasureWindow(const std::string& name, HWND w) {
    ASSERT_NE(w, nullptr) << name;
    windows.push_back(name);
    struct Ctx {
      FitTest* self;
      const std::string* name;
    } ctx{this, &name};
    EnumChildWindows(
        w,
        [](HWND c, LPARAM p) CALLBACK -> BOOL {
          auto* x = reinterpret_cast<Ctx*>(p);
          x->self->Measure(*x->name, c);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
  }

  // The menu bar's items by their rectangles; each popup opened for real
  // and its items measured while it is up.
  void MeasureMenus(HWND w) {
    HMENU bar = GetMenu(w);
    ASSERT_NE(bar, nullptr);
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    HFONT menuFont = CreateFontIndirectW(&ncm.lfMenuFont);
    const int count = GetMenuItemCount(bar);
    ASSERT_GT(count, 0);
    for (int i = 0; i < count; ++i) {
      wchar_t buf[256] = {};
      GetMenuStringW(bar, UINT(i), buf, 256, MF_BYPOSITION);
      RECT r{};
      ASSERT_TRUE(GetMenuItemRect(w, bar, UINT(i), &r));
      SIZE sz = Extent(w, DrawnCaption(buf), menuFont);
      Add("menu bar", buf, sz.cx, r.right - r.left);
      HMENU sub = GetSubMenu(bar, i);
      if (!sub) continue;
      struct Up {
        FitTest* self;
        HMENU menu;
        HFONT font;
        std::string name;
        bool seen;
      };
      static Up* up = nullptr;
      Up u{this, sub, menuFont, "menu " + Narrow(buf), false};
      up = &u;
      UINT_PTR t = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
        if (!up || up->seen) return;
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (!popup || !IsWindowVisible(popup)) return;
        up->seen = true;
        for (int k = 0; k < GetMenuItemCount(up->menu); ++k) {
          wchar_t item[256] = {};
          if (GetMenuStringW(up->menu, UINT(k), item, 256, MF_BYPOSITION) <= 0) continue;
          RECT ir{};
          if (!GetMenuItemRect(nullptr, up->menu, UINT(k), &ir)) {
            up->self->Add(up->name, item, 1, 0);
            continue;
          }
          std::wstring s = item;
          s = DrawnCaption(s.substr(0, s.find(L'\t')));
          SIZE isz = Extent(popup, s, up->font);
          up->self->Add(up->name, item, isz.cx, ir.right - ir.left);
        }
        EndMenu();
      });
      SetForegroundWindow(w);
      TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_TOPALIGN, 10, 10, w, nullptr);
      KillTimer(nullptr, t);
      up = nullptr;
      EXPECT_TRUE(u.seen) << "menu " << Narrow(buf) << " never came up";
      windows.push_back(u.name);
    }
    DeleteObject(menuFont);
  }

  void Report() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    const int dpi = DpiOf(form ? form->Hwnd() : nullptr);
    printf("fit: %d DPI, message font %s %d px (%.1f pt), %zu texts in", dpi, Narrow(ncm.lfMessageFont.lfFaceName).c_str(),
           int(-ncm.lfMessageFont.lfHeight), -ncm.lfMessageFont.lfHeight * 72.0 / dpi, fits.size());
    for (auto& w : windows) printf(" [%s]", w.c_str());
    printf("\n");
    const Fit* worst = nullptr;
    int bad = 0;
    for (const Fit& f : fits) {
      if (!f.whole) {
        ++bad;
        printf("fit: CUT %s \"%s\": needs %d px, has %d\n", f.where.c_str(), f.text.c_str(), f.need, f.room);
      }
      // The tightest of the texts that must fit in place.
      if (f.how.empty() && (!worst || double(f.room) / f.need < double(worst->room) / worst->need)) worst = &f;
    }
    if (worst)
      printf("fit: worst in place: %s \"%s\": needs %d px, has %d (%.0f%%)\n", worst->where.c_str(),
             worst->text.c_str(), worst->need, worst->room, 100.0 * worst->need / worst->room);
    printf("fit: %d of %zu texts cut\n", bad, fits.size());
    fflush(stdout);
  }

  std::vector<std::wstring> messages;
  int dpiOverride = 0;  // the DPI a window was told it moved to
  std::unique_ptr<Form1> form;
  std::vector<Fit> fits;
  std::vector<std::string> windows;
};

TEST_F(FitTest, EveryTextOfEveryWindowIsWhole) {
  Form1Components c;
  auto reader = std::make_unique<FitReader>();
  // As the reader describes a disc image: its name and its whole path.
  reader->drives = {L"Disc image three.cue (Z:\\home\\user\\Music\\Rips\\three.cue)",
                    L"D: HL-DT-ST DVDRAM GH24NSD1 (CD-ROM drive)"};
  reader->trackMs = {245000, 3720000, 59000, 187000};
  c.reader = std::move(reader);
  c.encoder = std::make_unique<IdleEncoder>();
  c.cddb = std::make_unique<ScriptedCddb>();
  form = std::make_unique<Form1>(std::move(c));
  ASSERT_TRUE(form->Load());
  form->Show();
  HWND list2 = form->Control(kIdList2);
  SendMessageW(list2, LB_SETCURSEL, 0, 0);
  SendMessageW(form->Hwnd(), WM_COMMAND, MAKEWPARAM(kIdList2, LBN_DBLCLK), reinterpret_cast<LPARAM>(list2));
  ASSERT_EQ(SendMessageW(form->Control(kIdList1), LB_GETCOUNT, 0, 0), 4);
  MeasureWindow("main", form->Hwnd());
  // The CDDB toggle's other caption must fit the same button.
  HWND cddb = form->Control(kIdCommand7);
  const std::wstring was = TextOf(cddb);
  SetWindowTextW(cddb, L"Dont use CDDB");
  Measure("main", cddb);
  SetWindowTextW(cddb, was.c_str());
  MeasureMenus(form->Hwnd());

  // The progress window as a session fills it.
  ASSERT_TRUE(Form2Window() != nullptr);
  Form2Show();
  Form2SetStatus(ReadingTrackStatus(12, 3));
  Form2AddLine(StartingSessionLine(L"09.12.2026", L"04:30:12"));
  Form2AddLine(EncodingTrackLine(12, 3));
  Form2AddLine(NoMp3Line(7, L"the encoder cannot write Z:\\home\\user\\Music\\Rips\\Track07.mp3"));
  MeasureWindow("progress", Form2Window());
  Form2SetStatus(EncodingTrackLine(12, 3));
  MeasureWindow("progress", Form2Window());
  Form2SetButtonCaption(L"DONE");
  MeasureWindow("progress", Form2Window());
  Form2Unload();

  EXPECT_TRUE(WithModal([&] { ClickButton(form->Control(kIdCommand3)); }, Form4Window,
                        [&](HWND d) {
                          MeasureWindow("make directory", d);
                          EndDialog(d, IDCANCEL);
                        },
                        Form4Unload));
  EXPECT_TRUE(WithModal([&] { ClickButton(form->Control(kIdCommand2)); }, AboutBoxWindow,
                        [&](HWND d) {
                          MeasureWindow("about", d);
                          EndDialog(d, IDOK);
                        },
                        AboutBoxUnload));
  EXPECT_TRUE(WithModal([&] { SendMessageW(form->Hwnd(), WM_COMMAND, MAKEWPARAM(kMenuReadOffset, 0), 0); },
                        ReadOffsetDialogWindow,
                        [&](HWND d) {
                          MeasureWindow("read offset", d);
                          EndDialog(d, IDCANCEL);
                        },
                        ReadOffsetDialogUnload));
  Report();
  for (const Fit& f : fits) EXPECT_TRUE(f.whole) << f.where << " \"" << f.text << "\" needs " << f.need << " px, has " << f.room;
  EXPECT_TRUE(messages.empty());
}

// What the system sends when a window is dragged to a screen of another
// scaling: the new DPI and where the window should go.
void MoveToDpi(HWND w, int dpi) {
  RECT r{};
  GetWindowRect(w, &r);
  const int old = DpiOf(w);
  RECT want{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, old), r.top + MulDiv(r.bottom - r.top, dpi, old)};
  SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&want));
}

RECT InParent(HWND c) {
  RECT r{};
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, GetParent(c), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int FontHeight(HWND c) {
  LOGFONTW lf{};
  GetObjectW(FontOf(c), sizeof lf, &lf);
  return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
}

TEST_F(FitTest, AMoveToAScreenOfAnotherDpiLaysEveryWindowOutAtIt) {
  Form1Components c;
  c.reader = std::make_unique<FitReader>();
  c.encoder = std::make_unique<IdleEncoder>();
  c.cddb = std::make_unique<ScriptedCddb>();
  form = std::make_unique<Form1>(std::move(c));
  ASSERT_TRUE(form->Load());
  form->Show();
  // Another scaling whose window still fits the bed's screen.
  const int was = DpiOf(form->Hwnd()), now = was > 96 ? 96 : 144;
  auto scaled = [&](int height) { return MulDiv(height, now, was); };
  dpiOverride = now;
  auto px = [now](int twips) { return TwipsToPixels(twips, now); };
  const int fontWas = FontHeight(form->Control(kIdList1));

  MoveToDpi(form->Hwnd(), now);
  RECT list1 = InParent(form->Control(kIdList1));
  EXPECT_EQ(list1.left, px(120));
  EXPECT_EQ(list1.top, px(240));
  RECT frame2 = InParent(form->Control(kIdFrame2));
  EXPECT_EQ(frame2.top, 0);
  EXPECT_GE(frame2.left, px(4200));
  RECT client{};
  GetClientRect(form->Hwnd(), &client);
  EXPECT_GE(client.right, px(8145));
  EXPECT_GE(client.bottom, px(5685));
  EXPECT_NEAR(FontHeight(form->Control(kIdList1)), scaled(fontWas), 1);
  EXPECT_NEAR(FontHeight(form->Control(kIdCommand6)), scaled(fontWas), 1);
  MeasureWindow("main at " + std::to_string(now), form->Hwnd());

  ASSERT_TRUE(Form2Window() != nullptr);
  Form2Show();
  Form2SetStatus(ReadingTrackStatus(3, 1));
  MoveToDpi(Form2Window(), now);
  RECT status = InParent(FindWindowExW(Form2Window(), nullptr, L"Edit", nullptr));
  EXPECT_EQ(status.left, px(120));
  EXPECT_EQ(status.top, px(1680));
  HWND frame5 = FindWindowExW(Form2Window(), nullptr, L"Button", L"All Tracks");
  ASSERT_NE(frame5, nullptr);
  RECT bar = InParent(GetWindow(frame5, GW_CHILD));
  EXPECT_EQ(bar.left, px(75));
  EXPECT_EQ(bar.right - bar.left, px(3495));
  EXPECT_NEAR(FontHeight(frame5), scaled(fontWas), 1);
  MeasureWindow("progress at " + std::to_string(now), Form2Window());
  Form2Unload();

  EXPECT_TRUE(WithModal([&] { ClickButton(form->Control(kIdCommand3)); }, Form4Window,
                        [&](HWND d) {
                          MoveToDpi(d, now);
                          RECT text = InParent(GetDlgItem(d, kIdForm4Text1));
                          EXPECT_EQ(text.left, px(240));
                          EXPECT_EQ(text.right - text.left, px(3255));
                          RECT dc{};
                          GetClientRect(d, &dc);
                          EXPECT_GE(dc.right, px(3765));
                          EXPECT_NEAR(FontHeight(GetDlgItem(d, kIdForm4Command1)), scaled(fontWas), 1);
                          MeasureWindow("make directory at " + std::to_string(now), d);
                          EndDialog(d, IDCANCEL);
                        },
                        Form4Unload));
  Report();
  for (const Fit& f : fits) EXPECT_TRUE(f.whole) << f.where << " \"" << f.text << "\"";
}

}  // namespace
