// Modal dialogs built in code: an empty in-memory template, controls
// created at their twips positions when the dialog initialises. The
// dialog manager then gives tab order, Enter and Esc as usual.
#pragma once
#include <windows.h>

#include <string>

namespace code_dialog {

// Runs a modal dialog with a fixed dialog frame, no minimize or maximize
// box. The procedure receives param with WM_INITDIALOG.
INT_PTR Run(HWND owner, const wchar_t* caption, DLGPROC proc, LPARAM param);

// Sizes the dialog to a client area in twips (the design at 96 DPI) and
// centres it on the screen.
void SizeAndCentre(HWND dlg, int widthTwips, int heightTwips);

// A child control at twips (left, top, width, height), in the dialog's font.
HWND AddControl(HWND dlg, int id, const wchar_t* cls, const wchar_t* text, DWORD style, int left, int top,
                int width, int height, DWORD exStyle = 0);

// Places the dialog's controls at their twips positions at the dialog's
// DPI, grows those whose captions do not fit, and sizes the dialog around
// them. Guarded runs it after WM_INITDIALOG and on WM_DPICHANGED.
void Layout(HWND dlg);
void OnDpiChanged(HWND dlg, int dpi, const RECT& suggested);
void Forget(HWND dlg);
// The DPI the dialog is laid out at.
int Dpi(HWND dlg);

// A dialog procedure around handler that lets no exception unwind into
// the dialog manager, and that keeps the layout whole at every DPI.
template <INT_PTR (*handler)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK Guarded(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_DPICHANGED) {
      OnDpiChanged(dlg, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return TRUE;
    }
    const INT_PTR r = handler(dlg, msg, wp, lp);
    if (msg == WM_INITDIALOG) Layout(dlg);
    if (msg == WM_NCDESTROY) Forget(dlg);
    return r;
  } catch (...) {
    return FALSE;
  }
}

// Ends the dialog in slot (and empties the slot) when one is up.
void EndIfUp(HWND& slot, INT_PTR result);

}  // namespace code_dialog
