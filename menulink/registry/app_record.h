#pragma once
// Layout of the application table that every process maps from
// "GLYPHTAP_MAP_OBJECT". The layout is shared by all copies of the library,
// so it must never change.

#include <cstddef>
#include <cstdint>

constexpr int MAX_APPS = 20;

constexpr std::size_t kModuleSize = 16;
constexpr std::size_t kTitleSize = 64;
constexpr std::size_t kPathSize = 264;

struct AppRecord {
  char module[kModuleSize];  // executable file name, compared case-insensitively
  char title[kTitleSize];    // "unknown" or "" while no title is known
  char path[kPathSize];      // "unknown" or "" while unknown
  int32_t enabled;           // 1 = registered
  int32_t running;           // 1 while a main window is subclassed somewhere
};

static_assert(offsetof(AppRecord, module) == 0);
static_assert(offsetof(AppRecord, title) == 16);
static_assert(offsetof(AppRecord, path) == 80);
static_assert(offsetof(AppRecord, enabled) == 344);
static_assert(offsetof(AppRecord, running) == 348);
static_assert(sizeof(AppRecord) == 352);

// The whole mapping: 20 records, slot 0 first, no header.
struct AppTable {
  AppRecord records[MAX_APPS];
};
static_assert(sizeof(AppTable) == 7040);
constexpr std::uint32_t kAppTableBytes = sizeof(AppTable);

// Per-process block, movable zero-initialised global memory locked from
// attach to detach.
struct ProcessState {
  int32_t stopHooking;   // this process is not hooked again
  int32_t acquireBusy;   // an acquire-text or settings run is in progress
  int32_t menuLanguage;  // language index of the application's menu texts
};
static_assert(sizeof(ProcessState) == 12);
