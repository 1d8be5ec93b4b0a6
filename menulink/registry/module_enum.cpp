// The process behind a window through Toolhelp32, looked up by name so that
// the library still loads where KERNEL32 lacks it.

#include <windows.h>
#include <tlhelp32.h>

#include "menulink/registry/record_text.h"
#include "menulink/registry/running_apps.h"
#include "common/proc_address.h"

namespace {

// The ANSI entries, whatever UNICODE maps the plain names to.
using ProcessEntry = tagPROCESSENTRY32;
using ModuleEntry = tagMODULEENTRY32;

using SnapshotProc = HANDLE(WINAPI *)(DWORD, DWORD);
using ProcessWalkProc = BOOL(WINAPI *)(HANDLE, ProcessEntry *);
using ModuleWalkProc = BOOL(WINAPI *)(HANDLE, ModuleEntry *);

SnapshotProc createSnapshot = nullptr;
ModuleWalkProc module32First = nullptr;
ModuleWalkProc module32Next = nullptr;
ProcessWalkProc process32First = nullptr;
ProcessWalkProc process32Next = nullptr;

bool Loaded() { return createSnapshot && module32First && module32Next && process32First && process32Next; }

// Module entry of pid with the given module id (or the first one, the
// executable, when anyModule is set).
int32_t ToolhelpFindModuleEntry(DWORD pid, DWORD moduleId, bool anyModule, ModuleEntry *out) {
    HANDLE snap = createSnapshot(TH32CS_SNAPMODULE, pid);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    ModuleEntry entry = {};
    entry.dwSize = sizeof entry;
    int32_t found = 0;
    for (BOOL more = module32First(snap, &entry); more; more = module32Next(snap, &entry)) {
        if (anyModule || entry.th32ModuleID == moduleId) {
            *out = entry;
            found = 1;
            break;
        }
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snap);
    return found;
}

// Walks the process snapshot to pid; fills *out and returns true there.
bool FindProcessEntry(DWORD pid, ProcessEntry *out) {
    HANDLE snap = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return false;
    ProcessEntry entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = process32First(snap, &entry); more; more = process32Next(snap, &entry)) {
        if (entry.th32ProcessID == pid) {
            *out = entry;
            found = true;
            break;
        }
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snap);
    return found;
}

}  // namespace

int32_t LoadToolhelp() {
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (!kernel) return 0;
    createSnapshot = ProcAddress<SnapshotProc>(kernel, "CreateToolhelp32Snapshot");
    module32First = ProcAddress<ModuleWalkProc>(kernel, "Module32First");
    module32Next = ProcAddress<ModuleWalkProc>(kernel, "Module32Next");
    process32First = ProcAddress<ProcessWalkProc>(kernel, "Process32First");
    process32Next = ProcAddress<ProcessWalkProc>(kernel, "Process32Next");
    return Loaded() ? 1 : 0;
}

int32_t ToolhelpFindProcessModule(DWORD pid, char *module, char *path) {
    if (!Loaded()) return 0;
    ProcessEntry process = {};
    if (!FindProcessEntry(pid, &process)) return 1;  // the walk ended without it
    ModuleEntry entry = {};
    if (!ToolhelpFindModuleEntry(pid, process.th32ModuleID, false, &entry)) return 1;
    CopyBounded(module, MAX_PATH, entry.szModule);
    CopyBounded(path, MAX_PATH, entry.szExePath);
    return 1;
}

int32_t ToolhelpFindProcessImage(DWORD pid, char *module, char *path) {
    if (!Loaded() && !LoadToolhelp()) return 0;
    ProcessEntry process = {};
    if (!FindProcessEntry(pid, &process)) return 0;
    // NT lists the file name alone; older systems the whole path.
    const char *name = process.szExeFile;
    for (const char *p = process.szExeFile; *p; ++p)
        if (*p == '\\') name = p + 1;
    CopyBounded(module, MAX_PATH, name);
    ModuleEntry entry = {};
    if (ToolhelpFindModuleEntry(pid, 0, true, &entry)) CopyBounded(path, MAX_PATH, entry.szExePath);
    return module[0] ? 1 : 0;
}
