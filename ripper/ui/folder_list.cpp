#include "ripper/ui/folder_list.h"

#include <vector>

#include "ripper/ui/draw_glyphs.h"
#include "ripper/ui/folder_paths.h"

namespace folder_list {

namespace {

struct State {
  std::wstring path;
  std::vector<FolderEntry> entries;
};

constexpr wchar_t kStateProp[] = L"wq.FolderList.State";
constexpr wchar_t kProcProp[] = L"wq.FolderList.Proc";

State* StateOf(HWND list) { return static_cast<State*>(GetPropW(list, kStateProp)); }

LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto base = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kProcProp));
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
    delete StateOf(hwnd);
    RemovePropW(hwnd, kStateProp);
    RemovePropW(hwnd, kProcProp);
  } else if (msg == WM_KEYDOWN && wp == VK_RETURN) {
    // Enter opens the entry, as a double click does.
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(hwnd));
    return 0;
  } else if (msg == WM_GETDLGCODE && lp && reinterpret_cast<MSG*>(lp)->message == WM_KEYDOWN &&
             reinterpret_cast<MSG*>(lp)->wParam == VK_RETURN) {
    return DLGC_WANTMESSAGE;  // dialog navigation would swallow Enter
  }
  return CallWindowProcW(base, hwnd, msg, wp, lp);
}

bool ListSubfolders(const std::wstring& folder, std::vector<std::wstring>& out, std::wstring* error) {
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW(ChildFolderPath(folder, L"*").c_str(), FindExInfoBasic, &fd,
                              FindExSearchLimitToDirectories, nullptr, 0);
  DWORD err = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  SetErrorMode(oldMode);
  if (h == INVALID_HANDLE_VALUE) {
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return true;  // empty drive
    if (error) {
      wchar_t* text = nullptr;
      FormatMessageW(
          FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
          nullptr, err, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
      *error = L"The folder " + folder + L" cannot be opened";
      if (text) {
        std::wstring t = text;
        while (!t.empty() && (t.back() == L'\n' || t.back() == L'\r')) t.pop_back();
        *error += L": " + t;
        LocalFree(text);
      } else {
        *error += L" (error " + std::to_wstring(err) + L").";
      }
    }
    return false;
  }
  do {
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
      out.push_back(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return true;
}

int IndentOf(HWND list) { return int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) / 2 + 2; }

}  // namespace

HWND Create(HWND parent, int id, RECT r) {
  HWND list =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                          LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                      r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (list) {
    SetPropW(list, kStateProp, new State);
    SetPropW(list, kProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrW(list, GWLP_WNDPROC)));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc));
  }
  return list;
}

bool SetPath(HWND list, const std::wstring& path, std::wstring* error) {
  State* s = StateOf(list);
  if (!s) return false;
  std::wstring folder = NormalizeFolder(path);
  std::vector<std::wstring> subs;
  if (!ListSubfolders(folder, subs, error)) return false;
  s->path = folder;
  s->entries = FolderListEntries(folder, std::move(subs));
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const FolderEntry& e : s->entries)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.name.c_str()));
  SendMessageW(list, LB_SETCURSEL, CurrentFolderIndex(folder), 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  return true;
}

std::wstring Path(HWND list) {
  State* s = StateOf(list);
  return s ? s->path : std::wstring();
}

bool Refresh(HWND list, std::wstring* error) { return SetPath(list, Path(list), error); }

std::wstring SelectedEntryPath(HWND list) {
  State* s = StateOf(list);
  int i = int(SendMessageW(list, LB_GETCURSEL, 0, 0));
  if (!s || i < 0 || size_t(i) >= s->entries.size()) return {};
  return s->entries[size_t(i)].path;
}

void Measure(MEASUREITEMSTRUCT* mi, HWND list) { MeasureListItem(mi, list); }

void Draw(const DRAWITEMSTRUCT* di, HBRUSH background) {
  State* s = StateOf(di->hwndItem);
  if (int(di->itemID) < 0 || !s || di->itemID >= s->entries.size()) {
    FillRect(di->hDC, &di->rcItem, background);
    return;
  }
  const FolderEntry& e = s->entries[di->itemID];
  int h = di->rcItem.bottom - di->rcItem.top;
  int glyph = h - 2;
  int x = di->rcItem.left + 2 + e.depth * IndentOf(di->hwndItem);
  DrawListItemText(di, background, x + glyph + 2, e.name.c_str());
  DrawFolderGlyph(di->hDC, x, di->rcItem.top + 1, glyph, e.opened);
}

}  // namespace folder_list
