// Library entry point: creates or opens the objects every process shares.

#include <windows.h>

#include "menulink/integration/error_messages.h"
#include "menulink/integration/subclass.h"
#include "menulink/registry/app_table.h"
#include "menulink/registry/shared_data.h"
#include "menulink/registry/table_handles.h"

// One copy for all processes: an initialised variable in a section the
// loader maps shared.
__attribute__((section(".sdata"), shared)) SharedSection sharedData = {};

AppRecord *appTable = nullptr;
ProcessState *processState = nullptr;
HANDLE tableMutex = nullptr;
HANDLE tableMapping = nullptr;

namespace {
HINSTANCE ownModule = nullptr;
HGLOBAL processStateMemory = nullptr;

void ReleaseProcessObjects() {
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
    if (tableMutex) {
        CloseHandle(tableMutex);
        tableMutex = nullptr;
    }
}

BOOL Attach(HINSTANCE instance) {
    ownModule = instance;
    InitMessageCapture();

    tableMutex = CreateMutexA(nullptr, FALSE, "lxdirect_mutex");
    if (!tableMutex) return FALSE;

    tableMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kAppTableBytes,
                                      "GLYPHTAP_MAP_OBJECT");
    if (!tableMapping) {
        ReleaseProcessObjects();
        return FALSE;
    }
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;

    appTable = static_cast<AppRecord *>(MapViewOfFile(tableMapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!appTable) {
        ReleaseProcessObjects();
        return FALSE;
    }

    processStateMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(ProcessState));
    if (processStateMemory) processState = static_cast<ProcessState *>(GlobalLock(processStateMemory));
    if (!processState) {
        ReleaseProcessObjects();
        return FALSE;
    }
    processState->stopHooking = 0;
    processState->acquireBusy = 0;
    processState->menuLanguage = 0;

    // A fresh mapping is an empty table, whatever a failed earlier load
    // left in the shared count.
    if (created) sharedData.appCount = 0;
    if (created && !AppTableLoadFromRegistry()) {
        ReleaseProcessObjects();
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HINSTANCE MenulinkModule() { return ownModule; }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return Attach(instance);
    case DLL_PROCESS_DETACH:
        // Nothing is saved. A window still subclassed (the process ends
        // without closing it) is counted out, or the count would never come
        // back to 0 and the controller never hear that the hook may go.
        ReleaseAtProcessExit();
        ReleaseProcessObjects();
        return TRUE;
    default:
        return TRUE;
    }
}
