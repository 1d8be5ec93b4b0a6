#pragma once
// The listing of GTGetModules: qualifying top-level windows, the process
// behind each, the candidates added to the table, and the 16-bit
// applications of the companion.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/app_record.h"

// Called once per listed name; the name is valid only during the call.
using ModuleEnumCallback = void(WINAPI*)(const char* name, int32_t flag);

// Per-process list of candidates, in the order of appending; freed only by
// RunningListFree (GTListUpdate).
struct RunningAppNode {
  char module[kModuleSize];
  char title[kTitleSize];
  int32_t enabled;
  RunningAppNode* next;
};
extern RunningAppNode* runningList;

void RunningListAppend(const char* module, const char* title, int32_t flag);
void RunningListFree();

// Whether a top-level window is listed at all (nonzero): the menu layer
// knows, and sets it at attach. Until then no window is listed.
using WindowQualifier = int32_t (*)(HWND hwnd);
void SetListingQualifier(WindowQualifier qualifier);
BOOL CALLBACK ModuleEnumWindowProc(HWND hwnd, LPARAM value);

// Step 5 of the listing, the companion's 16-bit applications.
void ListCompanionApps(ModuleEnumCallback callback);

// Longest wait for the companion's "AppsDone".
constexpr DWORD kAppsDoneWaitMs = 10000;
constexpr const char* kCompanionClass = "Korvane.Glyphtap16";

// Longest wait for another program's window to answer a message: a hung
// application must not freeze the caller.
constexpr UINT kPeerReplyMs = 2000;

// SendMessageA with that bound. False when the window did not answer (hung,
// gone, or too slow); *result is then 0.
bool SendToPeer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
