#pragma once
// State that crosses processes (the shared data section, the table view)
// and the per-process handles made at attach.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/app_record.h"

// The library's shared data section: mapped shared into every process that
// loads the library, all zeros when the first one does. Fields in order.
struct SharedSection {
  HHOOK hookHandle;                 // stored by GTHook
  HMODULE moduleHandle;             // set by the first loader of the table
  int32_t appCount;                 // table slots in use, 0 to MAX_APPS
  volatile LONG hookedWindowCount;  // interlocked only
  int32_t featureDisabled;          // 1 after GTDisableGlyphtap
};

extern SharedSection sharedData;

// Per process (ordinary data). appTable is this process's view of the
// mapping; processState the locked ProcessState block. Both are null before
// attach and after detach.
extern AppRecord* appTable;
extern ProcessState* processState;
// This process's handles of the table's mutex and mapping.
extern HANDLE tableMutex;
extern HANDLE tableMapping;

// The library's own module in this process (the handle DllMain received).
HINSTANCE MenulinkModule();

// At process attach: the message capture switch, the table's mutex and
// mapping (the table loaded from the registry by the first process), and
// this process's ProcessState. False, with everything released, on failure.
bool SharedDataAttach(HINSTANCE instance);
// Releases what SharedDataAttach made in this process; nothing is saved.
void SharedDataRelease();

constexpr DWORD kTableWaitMs = 5000;

// Class name of the controller's window, told by WM_CLOSE when the last
// window is released while the feature is off.
constexpr const char* kControllerClass = "Korvane.Glyphtap32";
