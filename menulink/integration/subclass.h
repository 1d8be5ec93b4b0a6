#pragma once
// The subclassing of a registered application's main window, inside every
// hooked process.

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
extern SubclassRecord* currentSubclass;

void SubclassWindow(HWND hwnd, const char* moduleName);
void UnsubclassWindow(HWND hwnd, bool closing);
LRESULT CALLBACK SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Counts out a window still subclassed when the process ends.
void ReleaseAtProcessExit();

// Inserts or removes the two items; the texts are those of the current
// subclassed window's menu language. 0 for a null popup, else 1.
int32_t SetAcquireItems(HMENU popup, uint32_t acquireId, uint32_t settingsId, bool insert);
// Sets ProcessState.menuLanguage from the menu bar's texts.
void DetectMenuLanguage(HMENU menuBar);
