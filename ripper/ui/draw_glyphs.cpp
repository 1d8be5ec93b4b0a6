#include "ripper/ui/draw_glyphs.h"

namespace {

void Poly(HDC dc, const POINT* pts, int n, COLORREF fill) {
  HBRUSH b = CreateSolidBrush(fill);
  HGDIOBJ ob = SelectObject(dc, b);
  HGDIOBJ op = SelectObject(dc, GetStockObject(BLACK_PEN));
  Polygon(dc, pts, n);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(b);
}

}  // namespace

void DrawFolderGlyph(HDC dc, int x, int y, int s, bool open) {
  const COLORREF folder = RGB(255, 224, 96);
  int t = s / 4;  // tab height
  POINT back[] = {{x, y + t},
                  {x + s / 3, y + t},
                  {x + s / 3 + t, y + 2 * t / 2 + 1},
                  {x + s - 1, y + 2 * t / 2 + 1},
                  {x + s - 1, y + s - 2},
                  {x, y + s - 2}};
  Poly(dc, back, 6, folder);
  if (open) {
    POINT front[] = {{x + t, y + 2 * t}, {x + s, y + 2 * t}, {x + s - t, y + s - 2}, {x, y + s - 2}};
    Poly(dc, front, 4, RGB(255, 248, 176));
  }
}

void DrawDriveGlyph(HDC dc, int x, int y, int s) {
  POINT box[] = {{x, y + s / 3}, {x + s - 1, y + s / 3}, {x + s - 1, y + s - 3}, {x, y + s - 3}};
  Poly(dc, box, 4, RGB(192, 192, 192));
  int ly = y + (s / 3 + s - 3) / 2;
  RECT led = {x + s - 4, ly - 1, x + s - 2, ly + 1};
  HBRUSH g = CreateSolidBrush(RGB(0, 160, 0));
  FillRect(dc, &led, g);
  DeleteObject(g);
}

void DrawListItemText(const DRAWITEMSTRUCT* di, HBRUSH background, int textLeft, const wchar_t* text) {
  bool selected = (di->itemState & ODS_SELECTED) != 0;
  RECT r = di->rcItem;
  RECT tr = r;
  tr.left = textLeft;
  FillRect(di->hDC, &r, background);
  SetBkMode(di->hDC, TRANSPARENT);
  if (selected) {
    SIZE sz{};
    GetTextExtentPoint32W(di->hDC, text, lstrlenW(text), &sz);
    RECT hr = {tr.left, r.top, tr.left + sz.cx + 4, r.bottom};
    FillRect(di->hDC, &hr, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(di->hDC, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetTextColor(di->hDC, GetSysColor(COLOR_WINDOWTEXT));
  }
  tr.left += 2;
  DrawTextW(di->hDC, text, -1, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if ((di->itemState & ODS_FOCUS) && !(di->itemState & ODS_NOFOCUSRECT)) DrawFocusRect(di->hDC, &r);
}

void MeasureListItem(MEASUREITEMSTRUCT* mi, HWND control) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  mi->itemHeight = UINT(tm.tmHeight + 2);
}
