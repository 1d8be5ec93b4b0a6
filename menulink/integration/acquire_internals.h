#pragma once
// The acquire runs as one block of function pointers, exported for the test
// driver, which must go through the real library (its attach step, its
// string table). Extend at the end only and raise the version.

#include <windows.h>

#include <cstdint>

#include "menulink/integration/subclass.h"

constexpr int32_t kAcquireInternalsVersion = 1;

struct MenulinkAcquireTable {
  int32_t version;
  int32_t size;
  int32_t (*acquireText)(HWND, int32_t);
  int32_t (*acquireTextSettings)(HWND, int32_t);
  int32_t (*pasteIntoApplication)();
  void (*setLaunchMarker)(bool);
  void (*setBusyPollLimit)(uint32_t ms);
  SubclassRecord** currentSubclass;
};

extern "C" const MenulinkAcquireTable* WINAPI MenulinkAcquireInternals();
using MenulinkAcquireInternalsProc = const MenulinkAcquireTable*(WINAPI*)();
