#include "ripper/engine/window_basics.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <vector>

#include "ripper/engine/drawn_caption.h"
#include "ripper/engine/layout_fit.h"

namespace {

// Functions of newer systems, looked up so that older ones still start.
template <typename Fn>
Fn User32Function(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user, name))) : nullptr;
}

int Px(int at96, int dpi) { return MulDiv(at96, dpi, 96); }

std::wstring ClassName(HWND h) {
  wchar_t buf[32] = {};
  GetClassNameW(h, buf, 32);
  return buf;
}

// Width and height a control needs for its caption at its own font; 0 for
// what has no caption to fit.
SIZE NeededSize(HWND c, int dpi) {
  SIZE need{};
  const std::wstring text = WindowText(c);
  if (text.empty()) return need;
  const std::wstring cls = ClassName(c);
  const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
  const bool button = _wcsicmp(cls.c_str(), L"Button") == 0;
  const bool label = _wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
  if (!button && !label) return need;  // text boxes and lists scroll or show tooltips
  HDC dc = GetDC(c);
  if (!dc) return need;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const std::wstring drawn = label && (style & SS_NOPREFIX) ? text : DrawnCaption(text);
  SIZE sz{};
  GetTextExtentPoint32W(dc, drawn.c_str(), int(drawn.size()), &sz);
  if (button && (style & BS_TYPEMASK) == BS_GROUPBOX) {
    need.cx = sz.cx + 2 * Px(10, dpi);  // the caption sits inside the frame's line
  } else if (button) {
    need.cx = sz.cx + 2 * Px(6, dpi);   // border and focus rectangle
    need.cy = std::max(int(tm.tmHeight), int(sz.cy)) + 2 * Px(2, dpi);
  } else if (drawn.find_first_of(L"\r\n") == std::wstring::npos && drawn.find(L' ') == std::wstring::npos) {
    need.cx = sz.cx + 1;
  } else {
    // A label breaks its lines at spaces: it needs the height of them all.
    RECT r{};
    GetClientRect(c, &r);
    r.bottom = 0;
    DrawTextW(dc, drawn.c_str(), int(drawn.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    need.cy = r.bottom;
  }
  SelectObject(dc, old);
  ReleaseDC(c, dc);
  return need;
}

LRESULT CALLBACK WholeListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  const LRESULT r = DefSubclassProc(h, msg, wp, lp);
  if ((msg == LB_ADDSTRING || msg == LB_INSERTSTRING) && r >= 0 && lp) {
    const auto* s = reinterpret_cast<const wchar_t*>(lp);
    // A memory DC, made once: a window's DC costs a visible-region set-up
    // at every line, and the extent does not depend on it.
    static HDC dc = CreateCompatibleDC(nullptr);
    if (dc) {
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
      SIZE sz{};
      GetTextExtentPoint32W(dc, s, int(wcslen(s)), &sz);
      SelectObject(dc, old);
      const int want = sz.cx + 2 * GetSystemMetrics(SM_CXEDGE);
      if (want > DefSubclassProc(h, LB_GETHORIZONTALEXTENT, 0, 0))
        DefSubclassProc(h, LB_SETHORIZONTALEXTENT, WPARAM(want), 0);
    }
  } else if (msg == LB_RESETCONTENT) {
    DefSubclassProc(h, LB_SETHORIZONTALEXTENT, 0, 0);
  }
  return r;
}

LRESULT CALLBACK TooltipEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR tip) {
  const LRESULT r = DefSubclassProc(h, msg, wp, lp);
  if (msg == WM_SETTEXT && tip) {
    std::wstring text = WindowText(h);
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = GetParent(h);
    ti.uId = reinterpret_cast<UINT_PTR>(h);
    ti.lpszText = text.data();
    SendMessageW(reinterpret_cast<HWND>(tip), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  } else if (msg == WM_NCDESTROY && tip) {
    DestroyWindow(reinterpret_cast<HWND>(tip));
  }
  return r;
}

}  // namespace

int ScreenDpi() {
  if (auto fn = User32Function<UINT(WINAPI*)()>("GetDpiForSystem")) {
    if (UINT d = fn()) return int(d);
  }
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND w) {
  if (auto fn = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow")) {
    if (UINT d = w ? fn(w) : 0) return int(d);
  }
  return ScreenDpi();
}

HFONT MessageFont(int dpi) {
  // A few DPIs at most in one run: one font each, kept.
  static std::map<int, HFONT> fonts;
  auto it = fonts.find(dpi);
  if (it != fonts.end()) return it->second;
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  auto forDpi = User32Function<ForDpi>("SystemParametersInfoForDpi");
  if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, UINT(dpi))) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMessageFont.lfHeight = MulDiv(ncm.lfMessageFont.lfHeight, dpi, ScreenDpi());
  }
  HFONT f = CreateFontIndirectW(&ncm.lfMessageFont);
  fonts[dpi] = f;
  return f;
}

HFONT MessageFont() { return MessageFont(ScreenDpi()); }

std::wstring WindowText(HWND w) {
  if (!w) return {};
  int n = GetWindowTextLengthW(w);
  std::wstring s(size_t(n > 0 ? n : 0) + 1, L'\0');
  int got = GetWindowTextW(w, s.data(), n + 1);
  s.resize(size_t(got > 0 ? got : 0));
  return s;
}

bool RegisterFormClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, HICON icon,
                       HICON smallIcon) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = name;
  wc.hIcon = icon;
  wc.hIconSm = smallIcon;
  return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

SIZE FitChildren(HWND parent, int dpi) {
  std::vector<HWND> children;
  std::vector<FitBox> boxes;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    FitBox b;
    b.left = r.left;
    b.top = r.top;
    b.right = r.right;
    b.bottom = r.bottom;
    const SIZE need = NeededSize(c, dpi);
    b.needWidth = int(need.cx);
    b.needHeight = int(need.cy);
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    b.moves = _wcsicmp(ClassName(c).c_str(), L"Button") == 0 && (style & BS_TYPEMASK) != BS_GROUPBOX;
    children.push_back(c);
    boxes.push_back(b);
  }
  std::vector<FitBox> before = boxes;
  // A list ends 120 twips short of its frame's edge.
  FitGrowth g = GrowToFit(boxes, MulDiv(130, dpi, 1440));
  for (size_t i = 0; i < boxes.size(); ++i) {
    const FitBox &a = before[i], &b = boxes[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom)
      SetWindowPos(children[i], nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return SIZE{g.right, g.bottom};
}

void SetClientSize(HWND w, int width, int height) {
  RECT rc{0, 0, width, height};
  const DWORD style = DWORD(GetWindowLongPtrW(w, GWL_STYLE)), ex = DWORD(GetWindowLongPtrW(w, GWL_EXSTYLE));
  using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  auto forDpi = User32Function<ForDpi>("AdjustWindowRectExForDpi");
  const BOOL menu = GetMenu(w) != nullptr;
  if (!forDpi || !forDpi(&rc, style, menu, ex, UINT(WindowDpi(w)))) AdjustWindowRectEx(&rc, style, menu, ex);
  SetWindowPos(w, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The menu may wrap or the frame differ from what was asked.
  RECT client{};
  GetClientRect(w, &client);
  const int dw = width - client.right, dh = height - client.bottom;
  if (dw || dh) {
    GetWindowRect(w, &rc);
    SetWindowPos(w, nullptr, 0, 0, rc.right - rc.left + dw, rc.bottom - rc.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CentreOnMonitor(HWND w) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  RECT work{};
  if (GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &mi))
    work = mi.rcWork;
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r{};
  GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  SetWindowPos(w, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepEntriesWhole(HWND list) {
  if (!list) return;
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | WS_HSCROLL);
  SetWindowSubclass(list, WholeListProc, 1, 0);
}

void ShowWholeInTooltip(HWND edit) {
  if (!edit) return;
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(edit, GA_ROOT),
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!tip) return;
  std::wstring text = WindowText(edit);
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = GetParent(edit);
  ti.uId = reinterpret_cast<UINT_PTR>(edit);
  ti.lpszText = text.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  // Long texts (a path, a status line) break into lines in the tip.
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, WindowDpi(edit), 96));
  SetWindowSubclass(edit, TooltipEditProc, 1, reinterpret_cast<DWORD_PTR>(tip));
}
