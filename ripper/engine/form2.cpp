#include "ripper/engine/form2.h"

#include <algorithm>
#include <cmath>

#include "ripper/engine/form2_ids.h"
#include "ripper/engine/message_pump.h"
#include "ripper/engine/progress_math.h"
#include "ripper/engine/session.h"
#include "ripper/engine/session_log.h"
#include "ripper/engine/twips.h"
#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"

namespace {

constexpr wchar_t kFormClass[] = WQ_FORM2_CLASS;
constexpr wchar_t kBarClass[] = L"wavequill.Bar";
constexpr int kCommand1Id = kIdForm2Command1;
constexpr int kText1Id = kIdForm2Text1;
constexpr int kList1Id = kIdForm2List1;

constexpr int kClientWidth = 3885, kClientHeight = 4725;  // twips
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

struct Rect {
  int left, top, width, height;
};

struct Form2 {
  HWND wnd = nullptr;
  HWND frames[3] = {};  // Frame5, Frame4, Frame1
  HWND bars[3] = {};    // Shape1, Shape2, Shape3
  float barTwips[3] = {};
  int barPixels[3] = {};  // the painted part of each bar
  HWND text1 = nullptr, list1 = nullptr, command1 = nullptr;
  HFONT font = nullptr;
  int dpi = 96;
  SessionHost* host = nullptr;
  bool inAbort = false;
  bool linesHeld = false;  // lines added but not yet painted
  double linesPaintedAt = -1e12, linesPaintMs = 0;  // the last painting, its cost
  double linesDueAt = 0;
  bool shown = false;  // since it was loaded
  std::wstring heldStatus;  // set but not yet shown
  bool statusHeld = false;
  double statusShownAt = -1e12;
};

Form2 g_form;

// Shape1 sits at 75 twips in its frame, the other two at 80.
const Rect kBarRects[3] = {{75, 190, 3495, 135}, {80, 190, 3495, 135}, {80, 190, 3495, 135}};
const Rect kFrameRects[3] = {{120, 120, 3615, 375}, {120, 600, 3615, 375}, {120, 1080, 3615, 375}};
const Rect kCommand1Rect{1320, 4320, 1215, 375}, kText1Rect{120, 1680, 3615, 285},
    kList1Rect{120, 2040, 3615, 2205};
const wchar_t* const kFrameTexts[3] = {L"All Tracks", L"This Track", L"Encoding"};

// Painting the list costs milliseconds a time (its scroll bar included),
// and a track's lines come in bursts: they are painted together, a while
// after the first of them (LinesHoldMs).
constexpr UINT_PTR kShowLinesTimer = 1;
// The status line changes at every read's and encode's start and end: a few
// times a second at most, the newest text, as the bars' progress.
constexpr UINT_PTR kShowStatusTimer = 2;
constexpr double kStatusIntervalMs = 250;

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

int Px(int twips) { return TwipsToPixels(twips, g_form.dpi); }

int BarPixels(float twips) {
  if (!(twips > 0.0f)) return 0;  // also NaN
  return static_cast<int>(std::lround(double(twips) * g_form.dpi / 1440.0));
}

HBRUSH g_barBrush = nullptr;

// Each bar window keeps its design size and paints its filled part dark
// blue, the rest as the frame's face. Moving a window costs far more than
// painting a strip of it, and a bar changes once per pixel it gains.
LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) {
        const LONG_PTR k = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
        const int filled = k >= 1 && k <= 3 ? g_form.barPixels[k - 1] : 0;
        RECT bar = ps.rcPaint, rest = ps.rcPaint;
        if (bar.right > filled) bar.right = filled;
        if (rest.left < filled) rest.left = filled;
        if (bar.right > bar.left) FillRect(dc, &bar, g_barBrush);
        if (rest.right > rest.left) FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A group box paints only its line and caption, never its inside: when a
// bar in it shrinks, the part it gave up would keep the old bar's pixels.
WNDPROC g_groupBoxProc = nullptr;

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  return CallWindowProcW(g_groupBoxProc, hwnd, msg, wp, lp);
}

void Layout();

void ShowHeldLines() {
  if (!g_form.linesHeld) return;
  g_form.linesHeld = false;
  KillTimer(g_form.wnd, kShowLinesTimer);
  HWND l = g_form.list1;
  const double start = NowMs();
  // Keep the newest line in view.
  const LRESULT n = SendMessageW(l, LB_GETCOUNT, 0, 0);
  if (n > 0) SendMessageW(l, LB_SETTOPINDEX, static_cast<WPARAM>(n - 1), 0);
  SendMessageW(l, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(l, nullptr, TRUE);
  // Painted now, in this wake-up of the thread rather than in one more.
  UpdateWindow(l);
  g_form.linesPaintedAt = NowMs();
  g_form.linesPaintMs = g_form.linesPaintedAt - start;
}

void ShowStatus(const std::wstring& text) {
  g_form.statusShownAt = NowMs();
  SetWindowTextW(g_form.text1, text.c_str());
  UpdateWindow(g_form.text1);
}

void ShowHeldStatus() {
  if (!g_form.statusHeld) return;
  g_form.statusHeld = false;
  KillTimer(g_form.wnd, kShowStatusTimer);
  ShowStatus(g_form.heldStatus);
}

// Before a message box and at the end everything set is on the screen.
void ShowHeld() {
  ShowHeldStatus();
  ShowHeldLines();
}

// What is held and due goes out with the progress that comes anyway, before
// its timer wakes the thread once more.
void ShowDue() {
  const double now = NowMs();
  if (g_form.statusHeld && now - g_form.statusShownAt >= kStatusIntervalMs) ShowHeldStatus();
  if (g_form.linesHeld && now >= g_form.linesDueAt) ShowHeldLines();
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kShowLinesTimer) {
        ShowHeldLines();
        return 0;
      }
      if (wp == kShowStatusTimer) {
        ShowHeldStatus();
        return 0;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wp) == kCommand1Id && HIWORD(wp) == BN_CLICKED) {
        AbortOrClose();
        return 0;
      }
      // Enter on the window goes to its one button.
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        if (LOWORD(wp) == IDOK) AbortOrClose();
        return 0;
      }
      break;
    case WM_DPICHANGED:
      if (g_form.wnd == hwnd) {
        const RECT& r = *DpiSuggestedRect(lp);
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        g_form.dpi = HIWORD(wp);
        Layout();
      }
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(kCommand1Id, DC_HASDEFID);
    case WM_CLOSE:
      // The title bar's close acts as the button: it aborts a running session
      // (the window stays until the session has ended) and closes after one.
      if (SessionIsRunning() || Form2ButtonCaption() == L"DONE") AbortOrClose();
      return 0;
    case WM_DESTROY:
      if (g_form.wnd == hwnd) {
        SetPumpDialog(nullptr);
        SessionHost* host = g_form.host;
        g_form = Form2{};
        g_form.host = host;
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterClasses() {
  static bool done = false;
  if (done) return true;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW bar{};
  // A device context of its own: a bar is drawn at every pixel it gains,
  // and its own DC is had without setting one up each time.
  bar.style = CS_OWNDC;
  bar.lpfnWndProc = BarProc;
  bar.hInstance = inst;
  g_barBrush = CreateSolidBrush(RGB(0, 0, 128));
  bar.hbrBackground = g_barBrush;
  bar.lpszClassName = kBarClass;
  if (!RegisterClassW(&bar) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  if (!RegisterFormClass(kFormClass, FormProc, IDC_ARROW, LoadIconW(inst, MAKEINTRESOURCEW(1)))) return false;
  done = true;
  return true;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, const Rect& r,
           int id) {
  HWND h = CreateWindowExW(
      exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, Px(r.left), Px(r.top), Px(r.width), Px(r.height),
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (h && g_form.font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(g_form.font), FALSE);
  return h;
}

// Every control at its twips position at the window's DPI, in the font of
// that DPI; a caption that does not fit grows its control and the window.
void Layout() {
  HWND w = g_form.wnd;
  g_form.font = MessageFont(g_form.dpi);
  auto place = [](HWND h, const Rect& r) {
    if (!h) return;
    SetWindowPos(h, nullptr, Px(r.left), Px(r.top), Px(r.width), Px(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(g_form.font), FALSE);
  };
  for (int k = 0; k < 3; ++k) {
    place(g_form.frames[k], kFrameRects[k]);
    place(g_form.bars[k], kBarRects[k]);
    g_form.barPixels[k] = std::min(BarPixels(g_form.barTwips[k]), Px(kBarRects[k].width));
  }
  place(g_form.command1, kCommand1Rect);
  place(g_form.text1, kText1Rect);
  place(g_form.list1, kList1Rect);
  const SIZE grown = FitChildren(w, g_form.dpi);
  SetClientSize(w, Px(kClientWidth) + grown.cx, Px(kClientHeight) + grown.cy);
  InvalidateRect(w, nullptr, TRUE);
}

void CreateControls() {
  HWND w = g_form.wnd;
  // Created in tab order: Frame5, Frame4, Command1, Text1, Frame1, List1.
  auto frame = [&](int k) {
    g_form.frames[k] =
        Child(w, L"BUTTON", kFrameTexts[k], BS_GROUPBOX | WS_CLIPCHILDREN, 0, kFrameRects[k], 0);
    if (g_form.frames[k]) {
      auto old = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(g_form.frames[k], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameProc)));
      if (!g_groupBoxProc) g_groupBoxProc = old;
    }
    g_form.bars[k] = Child(g_form.frames[k], kBarClass, L"", 0, 0, kBarRects[k], 0);
    if (g_form.bars[k]) SetWindowLongPtrW(g_form.bars[k], GWLP_USERDATA, k + 1);
  };
  frame(0);
  frame(1);
  g_form.command1 =
      Child(w, L"BUTTON", L"ABORT", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, kCommand1Rect, kCommand1Id);
  g_form.text1 = Child(w, L"EDIT", L"", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE,
                       kText1Rect, kText1Id);
  frame(2);
  g_form.list1 = Child(w, L"LISTBOX", L"", WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE,
                       kList1Rect, kList1Id);
  // The status line and the session's lines can always be read whole.
  ShowWholeInTooltip(g_form.text1);
  KeepEntriesWhole(g_form.list1);
  for (int k = 0; k < 3; ++k) Form2SetBarWidth(k + 1, 0.0f);
}

}  // namespace

bool Form2Load(SessionHost& host) {
  g_form.host = &host;
  if (g_form.wnd) return true;
  if (!RegisterClasses()) return false;
  HWND w = CreateWindowExW(0, kFormClass, L"Ripping and Encoding", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                           100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w) return false;
  g_form.wnd = w;
  SetPumpDialog(w);
  g_form.dpi = WindowDpi(w);
  g_form.font = MessageFont(g_form.dpi);
  CreateControls();
  Layout();
  return true;
}

bool Form2IsLoaded() { return g_form.wnd != nullptr; }

void Form2Unload() {
  if (g_form.wnd) DestroyWindow(g_form.wnd);
}

void Form2Show() {
  HWND w = g_form.wnd;
  if (!w) return;
  RECT r;
  GetWindowRect(w, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(w, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  g_form.shown = true;
}

HWND Form2Window() { return g_form.wnd; }
HWND Form2Button() { return g_form.command1; }

void Form2SetStatus(const std::wstring& text) {
  if (!g_form.text1) return;
  if (g_form.statusHeld) {
    g_form.heldStatus = text;
    return;
  }
  const double since = NowMs() - g_form.statusShownAt;
  if (since >= kStatusIntervalMs) {
    ShowStatus(text);
    return;
  }
  g_form.heldStatus = text;
  g_form.statusHeld = true;
  const UINT wait = static_cast<UINT>(std::ceil(kStatusIntervalMs - since));
  if (!SetTimer(g_form.wnd, kShowStatusTimer, wait, nullptr)) ShowHeldStatus();
}

std::wstring Form2Status() { return g_form.statusHeld ? g_form.heldStatus : WindowText(g_form.text1); }

void Form2AddLine(const std::wstring& line) {
  HWND l = g_form.list1;
  if (!l) return;
  if (!g_form.linesHeld) {
    SendMessageW(l, WM_SETREDRAW, FALSE, 0);
    g_form.linesHeld = true;
    // Without a timer the lines would never be painted: show them now.
    const double now = NowMs();
    const int hold = LinesHoldMs(now - g_form.linesPaintedAt, g_form.linesPaintMs);
    g_form.linesDueAt = now + hold;
    if (!SetTimer(g_form.wnd, kShowLinesTimer, static_cast<UINT>(hold), nullptr)) {
      SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
      ShowHeldLines();
      return;
    }
  }
  SendMessageW(l, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

std::vector<std::wstring> Form2Lines() {
  std::vector<std::wstring> out;
  HWND l = g_form.list1;
  if (!l) return out;
  LRESULT n = SendMessageW(l, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    LRESULT len = SendMessageW(l, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring s(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
    len = SendMessageW(l, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(len > 0 ? len : 0));
    out.push_back(std::move(s));
  }
  return out;
}

void Form2SetBarWidth(int bar, float twips) {
  if (bar < 1 || bar > 3 || !g_form.bars[bar - 1]) return;
  ShowDue();
  g_form.barTwips[bar - 1] = twips;
  HWND h = g_form.bars[bar - 1];
  RECT client;
  GetClientRect(h, &client);
  int want = BarPixels(twips);
  if (want > client.right) want = client.right;
  const int now = g_form.barPixels[bar - 1];
  // Progress comes far more often than the bar gains a pixel.
  if (want == now) return;
  g_form.barPixels[bar - 1] = want;
  // The strip is drawn at once: a paint message costs more than the strip
  // itself. WM_PAINT still draws the whole bar whenever it is uncovered.
  RECT strip{now < want ? now : want, 0, now < want ? want : now, client.bottom};
  if (HDC dc = GetDC(h)) {
    FillRect(dc, &strip, now < want ? g_barBrush : GetSysColorBrush(COLOR_BTNFACE));
    ReleaseDC(h, dc);
  }
}

float Form2BarWidth(int bar) { return bar >= 1 && bar <= 3 ? g_form.barTwips[bar - 1] : 0.0f; }

int Form2BarPixels(int bar) {
  if (bar < 1 || bar > 3 || !g_form.bars[bar - 1]) return 0;
  return g_form.barPixels[bar - 1];
}

void Form2SetPosition(int left, int top) {
  if (g_form.wnd)
    SetWindowPos(g_form.wnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form2SetButtonCaption(const std::wstring& caption) {
  if (g_form.command1) SetWindowTextW(g_form.command1, caption.c_str());
}

std::wstring Form2ButtonCaption() { return WindowText(g_form.command1); }

void AbortOrClose() {
  if (!g_form.wnd) return;
  if (Form2ButtonCaption() == L"DONE") {
    Form2SetButtonCaption(L"ABORT");
    Form2Unload();
    return;
  }
  // A second click while the message below is up, or a click with no session.
  if (g_form.inAbort || !SessionIsRunning() || !g_form.host) return;
  g_form.inAbort = true;
  HWND owner = g_form.wnd;
  SessionRequestAbort(*g_form.host);
  PumpPendingMessages();
  ShowHeld();
  ShowUserMessage(IsWindow(owner) ? owner : nullptr, L"Ripping and Encoding Aborted");
  PumpPendingMessages();
  if (g_form.wnd == owner) g_form.inAbort = false;
}

bool Form2View::Open() {
  // A window prepared and never shown is as new: made again, it would cost
  // its making during the session.
  if (g_form.shown) Form2Unload();
  if (!Form2Load(host_)) {
    ShowUserMessage(main_, L"Error: can not open the progress window!");
    return false;
  }
  Form2Show();
  if (main_) ShowWindow(main_, SW_HIDE);
  return true;
}

void Form2View::Tell(const std::wstring& text) {
  ShowHeld();
  ShowUserMessage(Form2Window(), text);
}

bool Form2View::WaitFor(const bool& flag) { return WaitForFlag(flag); }

void Form2View::Beep() { MessageBeep(MB_OK); }

void Form2View::Ended() {
  ShowHeld();
  if (main_) {
    ShowWindow(main_, SW_SHOW);
    RECT r;
    if (GetWindowRect(main_, &r)) Form2SetPosition(r.right, r.top);
  }
  Form2SetButtonCaption(L"DONE");
}

void RunSession(SessionHost& host, HWND main) {
  Form2View view(host, main);
  DiskSessionFiles files;
  RunSession(host, view, files);
  RepostPendingQuit();
}

void ProgressWindowPrepare(SessionHost& host) {
  if (!Form2Load(host)) return;
  host.State().BarFullWidth = kBarDesignWidth;
  for (int bar = 1; bar <= 3; ++bar) Form2SetBarWidth(bar, 0.0f);
}

void ProgressWindowUnload() { Form2Unload(); }
