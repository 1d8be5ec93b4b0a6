#pragma once
// Real processes for the hook cases: the library loaded here (so that the
// shared table can be set up through its test entry), the controller
// stand-in, and test editors copied under their own module names.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "menulink/registry/internals.h"
#include "common/proc_address.h"
#include "tests/win/common/test_files.h"
#include "tests/win/common/test_process.h"

const MenulinkInternalsTable* Internals();
std::string TempDir();
// The test variant of the library (the one with the test entry points).
std::string LibraryPath();

// An export of the library loaded here, as the type F it really has (null
// when missing).
HMODULE LibraryModule();
template <class F>
F Export(const char* name) {
  return ProcAddress<F>(LibraryModule(), name);
}

// Slot of module in the shared table, added and enabled when missing.
int32_t RegisterModule(const std::string& module);
// Disables every module registered so far.
void ReleaseRegistrations();

class Controller {
 public:
  explicit Controller(bool stay);
  ~Controller();
  bool Started() const { return started_; }
  std::string Log() const;
  void Quit();

 private:
  PROCESS_INFORMATION pi_{};
  std::string log_;
  bool started_ = false;
};

struct MenuItem {
  bool separator = false;
  unsigned id = 0;
  unsigned state = 0;
  std::string text;
};

struct EditorReport {
  bool ok = false;
  bool subclassed = false;
  unsigned long long fileMenu = 0;
  std::vector<MenuItem> items;
  std::vector<unsigned> commands, selections;
  int Count(const std::string& text) const;
  const MenuItem* Find(const std::string& text) const;
  std::string Texts() const;  // "New|Open|...|-|Exit" for messages
};

// The same items in the same order: texts, identifiers, states.
bool SameMenu(const EditorReport& a, const EditorReport& b);

enum EditorAction : WPARAM {
  kOpenFileMenu = 1,
  kMenuClosed = 2,
  kSelectItem = 3,
  kCommand = 4,
  kKeyboardMenu = 5,
  kEndMenu = 6,
  kClearLog = 7,
  kActivateApp = 8,
  kCloseWindow = 9,
  kDestroyWindow = 10,
  kSubclassOver = 11,
  kUnloadLibrary = 12,
  kExitProcess = 13,
};

class Editor {
 public:
  // module: the file name the editor runs under (e.g. "TEAB12.EXE").
  Editor(const std::string& module, const std::string& args);
  ~Editor();
  bool Started() const { return hwnd_ != nullptr; }
  HWND Window() const { return hwnd_; }
  HWND SecondWindow() const;
  HWND NthWindow(int n) const;   // of --windows, from 2 on
  std::string Messages() const;  // what the library showed, if anything
  const std::string& Module() const { return module_; }
  EditorReport Report(HWND which = nullptr);
  LRESULT Action(EditorAction action, LPARAM arg = 0, HWND which = nullptr);
  void Close();
  void Kill();
  bool Exited(DWORD ms);

 private:
  PROCESS_INFORMATION pi_{};
  HWND hwnd_ = nullptr;
  std::string class_, report_, messages_, module_;
};

// A module name unique to this run, 8.3 and at most 15 characters.
std::string UniqueModule(const char* prefix);
