#include "ripper/ui/about_box.h"

#include <vector>

#include "ripper/engine/twips.h"
#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/cddbui_ids.h"
#include "ripper/ui/code_dialog.h"
#include "ripper/ui/form1_texts.h"
#include "wq_version.h"

namespace {

HWND g_about = nullptr;
HBITMAP g_picture = nullptr;

constexpr wchar_t kSysInfoUnavailable[] = L"System Information Is Unavailable At This Time";
constexpr int kImageWidthPx = 96, kImageHeightPx = 307;

// Our own picture: a disc over a dusk gradient with a few sound waves.
HBITMAP DrawPicture() {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, kImageWidthPx, kImageHeightPx);
  ReleaseDC(nullptr, screen);
  if (!dc || !bmp) {
    if (dc) DeleteDC(dc);
    if (bmp) DeleteObject(bmp);
    return nullptr;
  }
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  for (int y = 0; y < kImageHeightPx; ++y) {
    const int k = y * 255 / (kImageHeightPx - 1);
    HBRUSH b = CreateSolidBrush(RGB(20 + k / 4, 30 + k / 3, 120 + k / 2));
    RECT r = {0, y, kImageWidthPx, y + 1};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  HPEN wave = CreatePen(PS_SOLID, 2, RGB(255, 255, 192));
  HGDIOBJ oldPen = SelectObject(dc, wave);
  for (int line = 0; line < 3; ++line) {
    const int base = 200 + line * 30;
    MoveToEx(dc, 4, base, nullptr);
    for (int x = 4; x <= kImageWidthPx - 4; x += 4) {
      const int d = ((x / 4 + line) % 4) - 2;
      LineTo(dc, x, base + d * (6 - line * 2));
    }
  }
  SelectObject(dc, GetStockObject(NULL_PEN));
  HBRUSH silver = CreateSolidBrush(RGB(210, 214, 224));
  HGDIOBJ oldBrush = SelectObject(dc, silver);
  Ellipse(dc, 8, 40, 88, 120);
  HBRUSH hole = CreateSolidBrush(RGB(40, 50, 140));
  SelectObject(dc, hole);
  Ellipse(dc, 40, 72, 56, 88);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(silver);
  DeleteObject(hole);
  DeleteObject(wave);
  SelectObject(dc, oldBmp);
  DeleteDC(dc);
  return bmp;
}

void DrawImage1(const DRAWITEMSTRUCT* di) {
  if (!g_picture) g_picture = DrawPicture();
  if (!g_picture) return;
  HDC src = CreateCompatibleDC(di->hDC);
  HGDIOBJ old = SelectObject(src, g_picture);
  const RECT& r = di->rcItem;
  SetStretchBltMode(di->hDC, HALFTONE);
  StretchBlt(di->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, src, 0, 0, kImageWidthPx,
             kImageHeightPx, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
}

bool StartProgram(const std::wstring& path) {
  std::wstring cmd = L"\"" + path + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

INT_PTR Handle(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      g_about = dlg;
      SetWindowTextW(dlg, (std::wstring(L"About ") + kAppTitle).c_str());
      code_dialog::SizeAndCentre(dlg, 5790, 5340);
      code_dialog::AddControl(dlg, kIdAboutImage1, L"STATIC", L"", SS_OWNERDRAW, 120, 160, 1500, 4665);
      // Label1 takes the room above the separators: its lines break inside
      // that width at any font, and the layout grows the box if they need more.
      HWND label1 = code_dialog::AddControl(dlg, kIdAboutLabel1, L"STATIC", L"App Info",
                                            SS_LEFT | SS_NOPREFIX, 1800, 240, 3855, 3480);
      SetWindowTextW(label1, AboutLabelText().c_str());
      // The project has no public contact address: no mail link rather
      // than one to a placeholder.
      HWND ok = code_dialog::AddControl(dlg, IDOK, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
                                        4440, 4920, 1260, 345);
      code_dialog::AddControl(dlg, kIdAboutSysInfo, L"BUTTON", L"&System Info...", BS_PUSHBUTTON | WS_TABSTOP,
                              3120, 4920, 1245, 345);
      SetFocus(ok);
      return FALSE;
    }
    case WM_PAINT: {
      // Line1: two grey separators above the contact line.
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dlg, &ps);
      const int dpi = code_dialog::Dpi(dlg);
      HPEN grey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
      HGDIOBJ old = SelectObject(dc, grey);
      for (int y : {3780, 3810}) {
        MoveToEx(dc, TwipsToPixels(1800, dpi), TwipsToPixels(y, dpi), nullptr);
        LineTo(dc, TwipsToPixels(5655, dpi), TwipsToPixels(y, dpi));
      }
      SelectObject(dc, old);
      DeleteObject(grey);
      EndPaint(dlg, &ps);
      return TRUE;
    }
    case WM_DRAWITEM:
      if (wp == kIdAboutImage1) {
        DrawImage1(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL:  // Enter and Esc both reach cmdOK
          EndDialog(dlg, IDOK);
          return TRUE;
        case kIdAboutSysInfo:
          if (HIWORD(wp) == BN_CLICKED) StartSysInfo(dlg);
          return TRUE;
      }
      break;
    case WM_DESTROY:
      g_about = nullptr;
      break;
  }
  return FALSE;
}

}  // namespace

std::wstring AboutLabelText() {
  return MainCaption(WQ_VERSION_MAJOR, WQ_VERSION_MINOR) +
         L"\r\rTurns the audio tracks of a CD into MP3 files,"
         L"\rnamed after the CDDB titles if you like."
         L"\r\rMP3 encoding by the LAME library (LGPL).";
}

bool GetKeyValue(HKEY root, const std::wstring& keyName, const std::wstring& valueName, std::wstring& value) {
  HKEY key = nullptr;
  // Read access only: full access is refused to users without administrator
  // rights, which would make System Information unavailable to them.
  if (RegOpenKeyExW(root, keyName.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    value.clear();
    return false;
  }
  std::vector<wchar_t> buf(1024, L'\0');
  DWORD type = 0;
  DWORD bytes = DWORD(buf.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes) !=
      ERROR_SUCCESS) {
    RegCloseKey(key);
    value.clear();
    return false;
  }
  if (type == REG_SZ) {
    std::wstring s(buf.data(), bytes / sizeof(wchar_t));
    if (!s.empty() && s.back() == L'\0') s.pop_back();
    value = s;
  } else if (type == REG_DWORD && bytes >= sizeof(DWORD)) {
    DWORD n = 0;
    memcpy(&n, buf.data(), sizeof n);
    value = std::to_wstring(n);
  }
  RegCloseKey(key);
  return true;
}

void StartSysInfo(HWND owner) {
  std::wstring path;
  if (GetKeyValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", path)) {
    if (!StartProgram(path)) ShowUserMessage(owner, kSysInfoUnavailable);
    return;
  }
  if (GetKeyValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", path)) {
    const std::wstring exe = path + L"\\MSINFO32.EXE";
    const DWORD attrs = GetFileAttributesW(exe.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY) && StartProgram(exe)) return;
  }
  ShowUserMessage(owner, kSysInfoUnavailable);
}

void ShowAboutBox(HWND owner) {
  if (g_about) return;
  code_dialog::Run(owner, L"About", code_dialog::Guarded<Handle>, 0);
}

void AboutBoxUnload() { code_dialog::EndIfUp(g_about, IDOK); }

HWND AboutBoxWindow() { return g_about; }
