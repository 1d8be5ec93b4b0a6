#include "ripper/ui/drive_list.h"

#include "ripper/ui/draw_glyphs.h"
#include "ripper/ui/folder_paths.h"

namespace drive_list {

namespace {

// No "insert a disk" dialogs while probing removable drives.
struct QuietErrors {
  UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  ~QuietErrors() { SetErrorMode(old); }
};

std::wstring LabelOf(const std::wstring& root) {
  UINT type = GetDriveTypeW(root.c_str());
  // Removable media are not touched just to show a label.
  if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) return {};
  wchar_t name[MAX_PATH + 1] = {};
  QuietErrors quiet;
  if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
    return {};
  return name;
}

}  // namespace

HWND Create(HWND parent, int id, RECT r, HBRUSH) {
  // The height of a drop-down is that of its open list; the closed field's
  // height follows from the item height.
  HWND combo =
      CreateWindowExW(0, L"COMBOBOX", L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                          CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                      r.left, r.top, r.right - r.left, (r.bottom - r.top) * 8, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  return combo;
}

void Fill(HWND combo) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    wchar_t letter = wchar_t(L'a' + i);
    std::wstring root = std::wstring(1, letter) + L":\\";
    std::wstring text = DriveEntryText(letter, LabelOf(root));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

bool SelectDriveOf(HWND combo, const std::wstring& path) {
  std::wstring root = DriveRootOf(path);
  if (root.empty()) return false;
  int n = int(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[300] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= 300) continue;
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
    if (DriveRootOf(buf) == root) {
      SendMessageW(combo, CB_SETCURSEL, i, 0);
      return true;
    }
  }
  return false;
}

std::wstring SelectedRoot(HWND combo) {
  int i = int(SendMessageW(combo, CB_GETCURSEL, 0, 0));
  if (i < 0) return {};
  wchar_t buf[300] = {};
  if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= 300) return {};
  SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
  return DriveRootOf(buf);
}

bool IsReady(const std::wstring& root) {
  QuietErrors quiet;
  ULARGE_INTEGER freeBytes;
  return GetDiskFreeSpaceExW(root.c_str(), &freeBytes, nullptr, nullptr) != 0;
}

void Measure(MEASUREITEMSTRUCT* mi, HWND combo) { MeasureListItem(mi, combo); }

void Draw(const DRAWITEMSTRUCT* di, HBRUSH background) {
  if (int(di->itemID) < 0) {
    FillRect(di->hDC, &di->rcItem, background);
    return;
  }
  wchar_t buf[300] = {};
  if (SendMessageW(di->hwndItem, CB_GETLBTEXTLEN, di->itemID, 0) < 300)
    SendMessageW(di->hwndItem, CB_GETLBTEXT, di->itemID, reinterpret_cast<LPARAM>(buf));
  int h = di->rcItem.bottom - di->rcItem.top;
  int glyph = h - 2;
  DrawListItemText(di, background, di->rcItem.left + glyph + 4, buf);
  DrawDriveGlyph(di->hDC, di->rcItem.left + 2, di->rcItem.top + 1, glyph);
}

}  // namespace drive_list
