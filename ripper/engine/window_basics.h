// What every window of the ripper needs: the screen's DPI for its twips
// layout, the message font, a control's text and its window class.
#pragma once
#include <windows.h>

#include <string>

// The screen's DPI (96 when it cannot be read). The program is system DPI
// aware: every window has this DPI.
int ScreenDpi();
// The system's message font; shared, never freed.
HFONT MessageFont();
std::wstring WindowText(HWND w);
// A top-level window class with the button face as background. A class
// registered before counts as registered.
bool RegisterFormClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, HICON icon = nullptr,
                       HICON smallIcon = nullptr);
