#include "ripper/ui/code_dialog.h"

#include <map>
#include <vector>

#include "ripper/engine/twips.h"
#include "ripper/engine/window_basics.h"

namespace code_dialog {

namespace {

struct Placed {
  HWND control;
  int left, top, width, height;  // twips
};
struct DialogLayout {
  int dpi = 0;  // the DPI it was last laid out at
  int widthTwips = 0, heightTwips = 0;
  std::vector<Placed> controls;
};
// One entry per open dialog; dialogs nest at most a few deep.
std::map<HWND, DialogLayout> g_layouts;

}  // namespace

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
  DialogLayout& l = g_layouts[dlg];
  l.widthTwips = widthTwips;
  l.heightTwips = heightTwips;
  const int dpi = Dpi(dlg);
  SetClientSize(dlg, TwipsToPixels(widthTwips, dpi), TwipsToPixels(heightTwips, dpi));
  CentreOnMonitor(dlg);
}

HWND AddControl(HWND dlg, int id, const wchar_t* cls, const wchar_t* text, DWORD style, int left, int top,
                int width, int height, DWORD exStyle) {
  const int dpi = Dpi(dlg);
  HWND c =
      CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, TwipsToPixels(left, dpi),
                      TwipsToPixels(top, dpi), TwipsToPixels(width, dpi), TwipsToPixels(height, dpi), dlg,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (c) {
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont(dpi)), FALSE);
    g_layouts[dlg].controls.push_back({c, left, top, width, height});
  }
  return c;
}

namespace {

void Place(HWND dlg) {
  auto it = g_layouts.find(dlg);
  if (it == g_layouts.end()) return;
  const DialogLayout& l = it->second;
  const int dpi = Dpi(dlg);
  HFONT font = MessageFont(dpi);
  for (const Placed& p : l.controls) {
    SetWindowPos(p.control, nullptr, TwipsToPixels(p.left, dpi), TwipsToPixels(p.top, dpi),
                 TwipsToPixels(p.width, dpi), TwipsToPixels(p.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  const SIZE grown = FitChildren(dlg, dpi);
  // A dialog sized by its own code keeps that size, grown by what its
  // captions needed.
  RECT client{};
  GetClientRect(dlg, &client);
  const int width = l.widthTwips ? TwipsToPixels(l.widthTwips, dpi) : int(client.right);
  const int height = l.heightTwips ? TwipsToPixels(l.heightTwips, dpi) : int(client.bottom);
  SetClientSize(dlg, width + grown.cx, height + grown.cy);
  InvalidateRect(dlg, nullptr, TRUE);
}

}  // namespace

void Layout(HWND dlg) {
  Place(dlg);
  CentreOnMonitor(dlg);
}

void OnDpiChanged(HWND dlg, int dpi, const RECT& suggested) {
  g_layouts[dlg].dpi = dpi;
  SetWindowPos(dlg, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Place(dlg);
}

void Forget(HWND dlg) { g_layouts.erase(dlg); }

int Dpi(HWND dlg) {
  DialogLayout& l = g_layouts[dlg];
  if (!l.dpi) l.dpi = WindowDpi(dlg);
  return l.dpi;
}

void EndIfUp(HWND& slot, INT_PTR result) {
  if (!slot) return;
  HWND d = slot;
  slot = nullptr;
  EndDialog(d, result);
}

}  // namespace code_dialog
