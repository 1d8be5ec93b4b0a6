// What every window of the ripper needs: the DPI for its twips layout, the
// message font at that DPI, a control's text and its window class, and the
// growing of controls whose texts need more room than the design gave.
#pragma once
#include <windows.h>

#include <string>

// The screen's DPI (96 when it cannot be read): the system DPI.
int ScreenDpi();
// The DPI of the monitor the window is on (per-monitor aware), else the
// system DPI.
int WindowDpi(HWND w);
// The system's message font at a DPI; shared, never freed.
HFONT MessageFont(int dpi);
HFONT MessageFont();
std::wstring WindowText(HWND w);
// A top-level window class with the button face as background. A class
// registered before counts as registered.
bool RegisterFormClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, HICON icon = nullptr,
                       HICON smallIcon = nullptr);

// Grows the direct children of parent whose captions do not fit them at
// their font, moving and stretching their neighbours along (see
// layout_fit.h). Returns how far the children's right and bottom edges
// went out, in pixels.
SIZE FitChildren(HWND parent, int dpi);
// Gives the window this client size, keeping its top-left corner.
void SetClientSize(HWND w, int width, int height);
// Centres the window in the work area of its monitor.
void CentreOnMonitor(HWND w);
// A list box whose entries can always be read whole: its horizontal
// scroll range follows the widest entry.
void KeepEntriesWhole(HWND list);
// A text box whose text, however long, shows whole in a tooltip.
void ShowWholeInTooltip(HWND edit);
// Where a window moved to a screen of another DPI asks to be put.
inline const RECT* DpiSuggestedRect(LPARAM lp) { return reinterpret_cast<const RECT*>(lp); }
