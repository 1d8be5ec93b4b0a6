#include "ripper/ui/form3.h"

#include "ripper/engine/window_basics.h"
#include "ripper/ui/cddbui_ids.h"
#include "ripper/ui/code_dialog.h"

namespace {

HWND g_form3 = nullptr;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER;

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      // The lookup that the box stands for is bounded by its own time-out;
      // closing the box would only leave nothing on the screen.
      return 0;
    case WM_DPICHANGED:
      code_dialog::OnDpiChanged(w, HIWORD(wp), *DpiSuggestedRect(lp));
      return 0;
    case WM_NCDESTROY:
      code_dialog::Forget(w);
      if (g_form3 == w) g_form3 = nullptr;
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool Form3Show() {
  if (g_form3) return true;
  RegisterFormClass(WQ_FORM3_CLASS, Proc, IDC_WAIT);
  HWND w = CreateWindowExW(WS_EX_DLGMODALFRAME, WQ_FORM3_CLASS, L"Connecting to CDDB", kStyle, 0, 0, 100, 50,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w) return false;
  g_form3 = w;
  code_dialog::SizeAndCentre(w, 5115, 1080);
  code_dialog::AddControl(w, kIdForm3Label1, L"STATIC",
                          L"Connecting To CDDB, Please wait, this can take some time.", SS_CENTER, 120, 360,
                          4935, 375);
  code_dialog::Layout(w);
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  return true;
}

void Form3Unload() {
  if (g_form3) DestroyWindow(g_form3);
  g_form3 = nullptr;
}

HWND Form3Window() { return g_form3; }
