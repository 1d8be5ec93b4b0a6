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

// Sizes the dialog to a client area in twips and centres it on the screen.
void SizeAndCentre(HWND dlg, int widthTwips, int heightTwips);

// A child control at twips (left, top, width, height), in the dialog's font.
HWND AddControl(HWND dlg, int id, const wchar_t* cls, const wchar_t* text, DWORD style, int left, int top,
                int width, int height, DWORD exStyle = 0);

// A dialog procedure around handler that lets no exception unwind into
// the dialog manager.
template <INT_PTR (*handler)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK Guarded(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    return handler(dlg, msg, wp, lp);
  } catch (...) {
    return FALSE;
  }
}

// Ends the dialog in slot (and empties the slot) when one is up.
void EndIfUp(HWND& slot, INT_PTR result);

}  // namespace code_dialog
