// Small pictures drawn beside the drive and folder entries.
#pragma once
#include <windows.h>

// A folder of size x size pixels at (x, y); open folders are drawn tilted.
void DrawFolderGlyph(HDC dc, int x, int y, int size, bool open);
// A drive box of size x size pixels at (x, y).
void DrawDriveGlyph(HDC dc, int x, int y, int size);
// One text line of the control's font, with a pixel above and below.
void MeasureListItem(MEASUREITEMSTRUCT* mi, HWND control);
// Fills the item, draws the text after the glyph, and shows selection/focus.
void DrawListItemText(const DRAWITEMSTRUCT* di, HBRUSH background, int textLeft, const wchar_t* text);
