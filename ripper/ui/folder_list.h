// Dir1: a folder list like a VB DirListBox. It shows the ancestors of the
// current folder and its subfolders; a double click opens an entry.
#pragma once
#include <windows.h>

#include <string>

namespace folder_list {

HWND Create(HWND parent, int id, RECT r);
// Makes path the current folder and lists it. False (list unchanged) when
// the folder cannot be read; error then says why.
bool SetPath(HWND list, const std::wstring& path, std::wstring* error);
std::wstring Path(HWND list);
// Lists the current folder again, e.g. after a folder was created in it.
bool Refresh(HWND list, std::wstring* error);
// Path of the entry under the caret/selection, empty when none.
std::wstring SelectedEntryPath(HWND list);
void Measure(MEASUREITEMSTRUCT* mi, HWND list);
void Draw(const DRAWITEMSTRUCT* di, HBRUSH background);

}  // namespace folder_list
