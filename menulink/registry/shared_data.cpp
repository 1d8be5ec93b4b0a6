// The objects every process shares, created or opened at attach.

#include <windows.h>

#include "menulink/registry/app_table.h"
#include "menulink/registry/error_messages.h"
#include "menulink/registry/shared_data.h"

// One copy for all processes: an initialised variable in a section the
// loader maps shared.
__attribute__((section(".sdata"), shared)) SharedSection sharedData = {};

SharedState* sharedState = nullptr;
AppRecord* appTable = nullptr;
ProcessState* processState = nullptr;
HANDLE tableMutex = nullptr;
HANDLE tableMapping = nullptr;
HANDLE stateMapping = nullptr;

namespace {
HINSTANCE ownModule = nullptr;
HGLOBAL processStateMemory = nullptr;
}  // namespace

void SharedDataRelease() {
  if (processStateMemory) {
    GlobalUnlock(processStateMemory);
    GlobalFree(processStateMemory);
    processStateMemory = nullptr;
  }
  processState = nullptr;
  if (appTable) {
    UnmapViewOfFile(appTable);
    appTable = nullptr;
  }
  if (tableMapping) {
    CloseHandle(tableMapping);
    tableMapping = nullptr;
  }
  if (sharedState) {
    UnmapViewOfFile(sharedState);
    sharedState = nullptr;
  }
  if (stateMapping) {
    CloseHandle(stateMapping);
    stateMapping = nullptr;
  }
  if (tableMutex) {
    CloseHandle(tableMutex);
    tableMutex = nullptr;
  }
}

bool SharedDataAttach(HINSTANCE instance) {
  ownModule = instance;
  InitMessageCapture();

  tableMutex = CreateMutexA(nullptr, FALSE, "lxdirect_mutex");
  if (!tableMutex) return false;

  tableMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kAppTableBytes,
                                    "GLYPHTAP_MAP_OBJECT");
  if (!tableMapping) {
    SharedDataRelease();
    return false;
  }
  appTable = static_cast<AppRecord*>(MapViewOfFile(tableMapping, FILE_MAP_WRITE, 0, 0, 0));
  if (!appTable) {
    SharedDataRelease();
    return false;
  }

  // The counts live beside the table, not in the shared section, so that
  // the library of the other width sees the same ones.
  stateMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedStateBytes,
                                    "GLYPHTAP_STATE_OBJECT");
  if (stateMapping)
    sharedState = static_cast<SharedState*>(MapViewOfFile(stateMapping, FILE_MAP_WRITE, 0, 0, 0));
  if (!sharedState) {
    SharedDataRelease();
    return false;
  }

  processStateMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ProcessState));
  if (processStateMemory) processState = static_cast<ProcessState*>(GlobalLock(processStateMemory));
  if (!processState) {
    SharedDataRelease();
    return false;
  }
  processState->stopHooking = 0;
  processState->acquireBusy = 0;
  processState->menuLanguage = 0;

  sharedData.moduleHandle = instance;
  // Whichever library comes first fills the table, under the mutex; the
  // others find it loaded.
  if (!AppTableLoadFromRegistry()) {
    SharedDataRelease();
    return false;
  }
  return true;
}

HINSTANCE MenulinkModule() { return ownModule; }
