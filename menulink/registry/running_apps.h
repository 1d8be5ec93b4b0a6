#pragma once
// The listing of GTGetModules: qualifying top-level windows, the process
// behind each, the candidates added to the table, and the 16-bit
// applications of the companion.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/app_record.h"

// Called once per listed name; the name is valid only during the call.
using ModuleEnumCallback = void(WINAPI *)(const char *name, int32_t flag);

// Per-process list of candidates, in the order of appending; freed only by
// RunningListFree (GTListUpdate).
struct RunningAppNode {
    char module[kModuleSize];
    char title[kTitleSize];
    int32_t enabled;
    RunningAppNode *next;
};
extern RunningAppNode *runningList;

void RunningListAppend(const char *module, const char *title, int32_t flag);
void RunningListFree();

int32_t FindPasteMenuLanguage(HWND hwnd);
BOOL CALLBACK ModuleEnumWindowProc(HWND hwnd, LPARAM value);

// Toolhelp32, looked up by name.
int32_t LoadToolhelp();
// module and path have 260 bytes (MAX_PATH).
int32_t ToolhelpFindProcessModule(DWORD pid, char *module, char *path);
// The executable of a process from a process and module snapshot: for
// Windows NT without process performance data. 1 when found.
int32_t ToolhelpFindProcessImage(DWORD pid, char *module, char *path);

// name has 64 bytes.
int32_t PerfFindProcessName(DWORD pid, char *name);
// Like PerfFindProcessName; *noProcessData is set when the data holds no
// usable Process object, so that the caller can ask Toolhelp32 instead.
int32_t PerfFindProcessNameEx(DWORD pid, char *name, bool *noProcessData);
// Index text of a counter name (indexOut 16 bytes). 1 when the list was
// read; *found tells whether the name was in it.
int32_t PerfFindCounterIndex(const char *counterName, char *indexOut, bool *found = nullptr);

int32_t IsWin32Executable(const char *path);

// Step 5 of the listing, the companion's 16-bit applications.
void ListCompanionApps(ModuleEnumCallback callback);

// Longest wait for the companion's "AppsDone".
constexpr DWORD kAppsDoneWaitMs = 10000;
constexpr const char *kCompanionClass = "Korvane.Glyphtap16";

// Longest wait for another program's window to answer a message: a hung
// application must not freeze the caller.
constexpr UINT kPeerReplyMs = 2000;

// SendMessageA with that bound. False when the window did not answer (hung,
// gone, or too slow); *result is then 0.
bool SendToPeer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result = nullptr);
