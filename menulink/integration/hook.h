#pragma once
// The exported hook procedure and the tests of which windows are served
// (subclassed) and which are listed.

#include <windows.h>

#include <cstdint>

extern "C" {
LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam);
HHOOK WINAPI GTHook(HHOOK hook);
}

int32_t CheckHookedWindow(HWND hwnd);
bool IsCandidateWindow(HWND hwnd);

// 1 when hwnd, a top-level window, has a File menu and Edit > Paste in one
// of the table's languages; sets ProcessState.menuLanguage to that language
// (or to the first whose File matched). The listing's qualifier.
int32_t FindPasteMenuLanguage(HWND hwnd);

// Full module path of the module that created hwnd (size bytes, empty when
// unknown) and its file-name part.
void WindowModulePath(HWND hwnd, char* path, DWORD size);
void WindowModuleName(HWND hwnd, char* name, DWORD size);
