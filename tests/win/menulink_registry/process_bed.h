#pragma once
// Runs the table driver in fresh processes and keeps the registry key,
// "lx70.ini" and the message capture file of each test apart.

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/win/common/saved_registry_key.h"

struct DriverRun {
  bool finished = false;
  DWORD exitCode = 0;
  std::string out;
  std::vector<std::string> Lines() const;
  // First line that starts with prefix, without the prefix; "" if none.
  std::string After(const std::string& prefix) const;
};

class Driver {
 public:
  explicit Driver(const std::vector<std::string>& commands);
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;
  DriverRun Wait(DWORD timeoutMs = 60000);
  void Kill();

 private:
  PROCESS_INFORMATION pi_{};
  std::string outFile_;
  bool waited_ = false;
};

DriverRun RunDriver(const std::vector<std::string>& commands, DWORD timeoutMs = 60000);

// Waits for a named manual-reset event that a driver sets.
bool WaitNamedEvent(const std::string& name, DWORD timeoutMs = 30000);
void SetNamedEvent(const std::string& name);

struct Slot {
  std::string module, path, title;
  int enabled = -1, running = -1;
};
// "count N" and "slot i|..." lines of a dump.
std::vector<Slot> ParseDump(const DriverRun& run, int* count = nullptr);

struct Captured {
  int id = 0, language = -1;
  std::string caption, text;
};

// Saves and restores the list key, the General key, "lx70.ini" and sets
// up the capture file, around each test.
class StoreGuard {
 public:
  StoreGuard();
  ~StoreGuard();
  std::vector<Captured> Messages() const;
  void WriteIni(const std::string& content);
  void RemoveIni();

 private:
  SavedRegistryKey direct_, general_;
  bool iniExisted_ = false;
  std::string iniContent_;
  std::string capture_;
};

// True while some process has menulink.dll loaded (its table exists).
bool TableMappingExists();

std::string IniPath();
void DeleteDirectKey();
void SetDirectValue(const std::string& name, const std::string& text, DWORD type = REG_SZ);
std::map<std::string, std::string> DirectValues();  // REG_SZ values only
std::string DirectKeyClass();

// A case that starts with no process holding the library, the stores saved
// before it and restored after it.
class FreshTableTest : public ::testing::Test {
 protected:
  StoreGuard store;
  void SetUp() override { ASSERT_FALSE(TableMappingExists()) << "another process has menulink.dll loaded"; }
};
