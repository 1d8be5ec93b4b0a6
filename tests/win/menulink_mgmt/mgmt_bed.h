#pragma once
// The real menulink.dll loaded into the test process, its management
// exports, a fresh table per test, the stores saved and restored around
// each test, windows with menus in the library's languages, and the
// companion stand-in.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "menulink/registry/internals.h"
#include "tests/win/common/saved_registry_key.h"
#include "tests/win/common/test_files.h"
#include "tests/win/common/test_process.h"

using Listing = std::vector<std::pair<std::string, int>>;

struct Exports {
  void(WINAPI* getModules)(void(WINAPI*)(const char*, int32_t));
  void(WINAPI* registerNewApp)(const char*);
  void(WINAPI* unregisterApp)(const char*);
  int32_t(WINAPI* listUpdate)(int32_t);
  int32_t(WINAPI* shutDown)();
  int32_t(WINAPI* disable)();
  void(WINAPI* enable)();
  int32_t(WINAPI* getRunningApps)(HWND);
};

const MenulinkInternalsTable* Internals();
const Exports& Gt();
// GTGetModules with a collecting callback.
Listing ListModules();

std::string CaseDir();  // an empty folder of its own for each test
std::string ExePath();
void WriteText(const std::string& path, const std::string& content);
std::string ReadText(const std::string& path);
bool CopyNotepad(const std::string& to);
std::string Upper(std::string s);

// Slots in use, as copies.
struct SlotCopy {
  std::string module, title, path;
  int enabled, running;
};
std::vector<SlotCopy> Slots();
int FindSlot(const std::string& module);  // -1 when absent
// Adds a record through the accessors; enabled as given.
int AddRecord(const std::string& module, const std::string& path, const std::string& title, bool enabled);
void EmptyTable();

// Saves the list key, the General key, "lx70.ini" and the message capture
// file and empties the table; restores the stores afterwards.
class StoreGuard {
 public:
  StoreGuard();
  ~StoreGuard();
  std::vector<std::string> CapturedIds() const;  // "317|...", one per message

 private:
  SavedRegistryKey direct_, general_;
  bool iniExisted_ = false;
  std::string ini_;
};
std::string IniPath();
void SetInstallPath(const std::string& folder);
void DeleteInstallPath();
std::string IniValue(const char* section, const char* key);
void SetIniValue(const char* section, const char* key, const char* value);

// A top-level window of this process with a menu bar.
enum class MenuKind { Full, NoMenu, NoFile, NoPaste, PasteOnOpen, EditCommand, Arquivo };
class MenuWindow {
 public:
  MenuWindow(const std::string& title, int language, MenuKind kind = MenuKind::Full);
  ~MenuWindow();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// A window of the controller's class, which the library finds by name; it
// answers with proc.
class ControllerWindow {
 public:
  explicit ControllerWindow(WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    hwnd = CreateWindowExA(0, kClass, "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~ControllerWindow() {
    if (hwnd) DestroyWindow(hwnd);
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
  }
  HWND hwnd;

 private:
  static constexpr const char* kClass = "Korvane.Glyphtap32";
};

// The companion stand-in copied into folder with its entries.
class Companion {
 public:
  Companion(const std::string& folder, const std::vector<std::string>& entries);
  ~Companion();
  std::string Log() const;
  // The log once it holds needle (the companion gets posted messages and
  // writes when it gets to them), or as it is after ms.
  std::string LogOnceItHolds(const std::string& needle, DWORD ms = 5000) const;
  // Started by the listing or by Start().
  bool Start();
  void Close();
  bool Running() const;

 private:
  std::string folder_;
};
