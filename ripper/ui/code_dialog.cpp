#include "ripper/ui/code_dialog.h"

#include <vector>

#include "ripper/engine/twips.h"
#include "ripper/engine/window_basics.h"

namespace code_dialog {

INT_PTR Run(HWND owner, const wchar_t* caption, DLGPROC proc, LPARAM param) {
  // DLGTEMPLATE, then empty menu and class, then the title; DWORD aligned.
  std::vector<WORD> buf(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3 + wcslen(caption) + 1, 0);
  auto* t = reinterpret_cast<DLGTEMPLATE*>(buf.data());
  t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  t->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  t->cdit = 0;
  t->cx = 100;
  t->cy = 50;
  WORD* p = buf.data() + sizeof(DLGTEMPLATE) / sizeof(WORD);
  *p++ = 0;  // no menu
  *p++ = 0;  // standard dialog class
  for (const wchar_t* c = caption; *c; ++c) *p++ = WORD(*c);
  *p = 0;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t, owner, proc, param);
}

void SizeAndCentre(HWND dlg, int widthTwips, int heightTwips) {
  const int dpi = ScreenDpi();
  RECT rc = {0, 0, TwipsToPixels(widthTwips, dpi), TwipsToPixels(heightTwips, dpi)};
  AdjustWindowRectEx(&rc, DWORD(GetWindowLongPtrW(dlg, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(dlg, GWL_EXSTYLE)));
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(dlg, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND AddControl(HWND dlg, int id, const wchar_t* cls, const wchar_t* text, DWORD style, int left, int top,
                int width, int height, DWORD exStyle) {
  const int dpi = ScreenDpi();
  HWND c =
      CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, TwipsToPixels(left, dpi),
                      TwipsToPixels(top, dpi), TwipsToPixels(width, dpi), TwipsToPixels(height, dpi), dlg,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  return c;
}

void EndIfUp(HWND& slot, INT_PTR result) {
  if (!slot) return;
  HWND d = slot;
  slot = nullptr;
  EndDialog(d, result);
}

}  // namespace code_dialog
