#include "ripper/engine/window_basics.h"

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

HFONT MessageFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    return CreateFontIndirectW(&ncm.lfMessageFont);
  }();
  return font;
}

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
