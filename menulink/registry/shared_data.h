#pragma once
// State that crosses processes (the shared data section, the table view)
// and the per-process handles made at attach.

#include <windows.h>

#include <cstdint>

#include <atomic>

#include "menulink/registry/app_record.h"
#include "menulink/registry/shared_state.h"

// This DLL's shared data section: mapped shared into every process that
// loads this very DLL file (the other width's library has its own), all
// zeros when the first one does.
struct SharedSection {
  HHOOK hookHandle;      // this width's hook, stored by GTHook
  HMODULE moduleHandle;  // the library's module in the process that loaded the table
};

extern SharedSection sharedData;

// This process's view of the state block that both widths share; null
// before attach and after detach.
extern SharedState* sharedState;

// The shared count of subclassed windows, changed atomically by every
// process of either width.
inline std::atomic_ref<int32_t> HookedWindowCount() {
  return std::atomic_ref<int32_t>(sharedState->hookedWindowCount);
}
static_assert(std::atomic_ref<int32_t>::is_always_lock_free);

// The switch, read without the lock (a plain 32-bit read).
inline bool FeatureDisabled() { return sharedState && sharedState->featureDisabled != 0; }

// Per process (ordinary data). appTable is this process's view of the
// mapping; processState the locked ProcessState block. Both are null before
// attach and after detach.
extern AppRecord* appTable;
extern ProcessState* processState;
// This process's handles of the table's mutex and mapping.
extern HANDLE tableMutex;
extern HANDLE tableMapping;
extern HANDLE stateMapping;

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

// Held by a running menulink64host.exe.
constexpr const char* kWideHostMutex = "Glyphtap64HostMutex";
// Registered message the host sends to the windows of a thread it has just
// hooked: the hook looks at the window as at its activation, since the
// window was created before the hook was there.
constexpr const char* kWideHostCheckMessage = "Glyphtap64HostCheck";
