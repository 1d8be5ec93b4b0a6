#pragma once
// The hook procedure and the subclassing of a registered application's
// main window, inside every hooked process.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/app_record.h"

// One per process at most: the process subclasses one window at a time.
// Movable zero-filled global memory, locked from SubclassWindow to
// UnsubclassWindow.
struct SubclassRecord {
    HMENU fileMenu;       // File popup of the menu bar, found at every WM_INITMENUPOPUP
    uint32_t acquireId;   // "Acquire Text..." identifier, 0 until allocated
    uint32_t settingsId;  // "Acquire Text Settings..." identifier, 0 until allocated
    WNDPROC oldWndProc;   // the procedure SubclassWindow replaced
    HWND hwnd;
    int32_t itemsInserted;  // 1 while the items are in the File menu
    char module[kModuleSize];
    int32_t menuLanguage;
    int32_t appIndex;
    // The window's own character set, kept so that its messages are not
    // converted on the way through.
    int32_t unicode;
    // Our item last highlighted in the open menu, 0 for none: only its
    // WM_COMMAND starts a run.
    uint32_t chosenId;
};

// Null whenever no window of this process is subclassed.
extern SubclassRecord *currentSubclass;

extern "C" {
LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam);
HHOOK WINAPI GTHook(HHOOK hook);
}

int32_t CheckHookedWindow(HWND hwnd);
bool IsCandidateWindow(HWND hwnd);
void SubclassWindow(HWND hwnd, const char *moduleName);
void UnsubclassWindow(HWND hwnd, bool closing);
LRESULT CALLBACK SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Counts out a window still subclassed when the process ends.
void ReleaseAtProcessExit();

// Full module path of the module that created hwnd (size bytes, empty when
// unknown) and its file-name part.
void WindowModulePath(HWND hwnd, char *path, DWORD size);
void WindowModuleName(HWND hwnd, char *name, DWORD size);

// Class name of the controller's window, told by WM_CLOSE when the last
// window is released while the feature is off.
constexpr const char *kControllerClass = "Korvane.Glyphtap32";
