// Drive1: a drop-down of the machine's drive letters, "c: [label]".
#pragma once
#include <windows.h>

#include <string>

namespace drive_list {

HWND Create(HWND parent, int id, RECT r, HBRUSH background);
void Fill(HWND combo);
// Selects the entry of the drive of path; false when that drive is absent.
bool SelectDriveOf(HWND combo, const std::wstring& path);
// Root "x:\" of the selected entry; empty when nothing is selected.
std::wstring SelectedRoot(HWND combo);
// True when the drive root can be listed (a disc or medium is present).
bool IsReady(const std::wstring& root);
// Owner-draw handlers, called from the parent's window procedure.
void Measure(MEASUREITEMSTRUCT* mi, HWND combo);
void Draw(const DRAWITEMSTRUCT* di, HBRUSH background);

}  // namespace drive_list
