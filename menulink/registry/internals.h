#pragma once
// The table accessors as one block of function pointers, exported for the
// multi-process test driver (which must go through the real DLL so that the
// shared section and DllMain are exercised). Plain C layout; extend at the
// end only and raise kInternalsVersion.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/app_record.h"
#include "menulink/registry/shared_data.h"

constexpr int32_t kInternalsVersion = 2;

struct MenulinkInternalsTable {
  int32_t version;
  int32_t size;
  SharedState* shared;  // the state block both widths share (this process's view)
  AppRecord* const* table;  // this process's view
  ProcessState* const* state;
  int32_t (*appendRecord)(const char*);
  int32_t (*add)(HWND, const char*, const char*);
  int32_t (*findByModule)(const char*, int32_t*);
  int32_t (*findByTitle)(const char*, int32_t*);
  int32_t (*setTitle)(int32_t, const char*);
  int32_t (*setPath)(int32_t, const char*);
  int32_t (*getPath)(int32_t, char*, DWORD);
  int32_t (*enable)(int32_t);
  int32_t (*disable)(int32_t);
  int32_t (*setRunning)(int32_t);
  int32_t (*clearRunning)(int32_t);
  int32_t (*isEnabled)(int32_t);
  DWORD (*lock)();
  BOOL (*unlock)();
  void (*saveByValues)();
  int32_t (*saveByKey)();
  int32_t (*getInstallPath)(const char*, char*, DWORD);
  int32_t (*findIniAppNumber)(const char*);
  int32_t (*getUILanguage)();
  void (*showErrorMessage)(HWND, int32_t, ...);
  int (*loadLocalString)(int32_t, int32_t, char*, int);
  void (*getAppTitle)(HWND, char*, int);
  SharedSection* section;  // this DLL's own shared section
};

extern "C" const MenulinkInternalsTable* WINAPI MenulinkInternals();
using MenulinkInternalsProc = const MenulinkInternalsTable*(WINAPI*)();
