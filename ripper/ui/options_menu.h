// The main window's "Options" menu: two remembered checks and the drive's
// read offset, with what the command line sets for one run on top.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "ripper/engine/rip_options.h"
#include "ripper/ui/settings_store.h"

// Menu commands, shared with the end-to-end driver.
constexpr int kMenuSecureReading = 201;
constexpr int kMenuVerifyAccurateRip = 202;
constexpr int kMenuReadOffset = 203;

// From the command line: on for this run, never saved.
struct RunOptions {
  bool secure = false;
  bool verify = false;
  bool haveReadOffset = false;
  int32_t readOffset = 0;
};

class OptionsMenu {
 public:
  explicit OptionsMenu(SettingsStore store = SettingsStore()) : store_(std::move(store)) {}
  void SetRunOptions(const RunOptions& run) { run_ = run; }
  // Reads the remembered checks and appends the menu to the bar.
  void AppendTo(HMENU bar);
  static bool Handles(int id) { return id >= kMenuSecureReading && id <= kMenuReadOffset; }
  void Click(int id, HWND owner, const std::wstring& driveDescription);
  // What a session started now would do with the drive.
  RipOptions Current(const std::wstring& driveDescription) const;

 private:
  void Toggle(int id, bool& check, const wchar_t* valueName, HWND owner);
  SettingsStore store_;
  RunOptions run_;
  HMENU menu_ = nullptr;
  bool secure_ = false;
  bool verify_ = false;
};
