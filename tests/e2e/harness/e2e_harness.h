// Drives a real Windows program under test from outside its process: starts
// it, finds its windows, reads and clicks its controls, reads its menus
// through the menu probe, and dismisses its message boxes while recording
// their texts.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win/common/test_files.h"
#include "tests/win/common/test_process.h"

namespace e2e {

// Linux path -> path a Wine program can open (Z: drive).
std::wstring WinePath(const std::string& unixPath);
std::string Utf8(const std::wstring& w);

// The lines of a log written with CR LF; a last line that lacks its CR LF
// ends in "<no CR LF>". None when the file cannot be read.
std::vector<std::string> LogLines(const std::wstring& path);

// Pumps this thread's messages until done() or the time is up.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  return PumpUntil(done, timeoutMs);
}

// A program under test, and its windows.
class Process : public ::Process {
 public:
  // A visible top-level window of this process with the class (or any class
  // when empty) and, when given, the exact title.
  HWND FindTopWindow(const std::wstring& cls, const std::wstring* title = nullptr) const;
  HWND WaitTopWindow(const std::wstring& cls, DWORD timeoutMs = 15000) const;
};

std::wstring Text(HWND h);
std::vector<std::wstring> ListBoxItems(HWND list);
// Index of the last entry that match() accepts; -1 if none does.
int FindListItem(HWND list, const std::function<bool(const std::wstring&)>& match);
std::vector<int> ListBoxSelection(HWND list);  // multi-selection lists
// Double-clicks entry index of a list box with real mouse messages.
bool DoubleClickListItem(HWND list, int index);
bool ClickListItem(HWND list, int index);
// Posts a click, so the driver never blocks on what the click opens.
void Click(HWND button);
void PostCommand(HWND window, int id);

// Message boxes: top-level dialogs (#32770) of the process with this caption.
struct MessageBoxSeen {
  std::wstring text;
};
// Returns the open message boxes' texts, pressing their default button.
std::vector<MessageBoxSeen> DismissMessageBoxes(const Process& p, const std::wstring& caption);
// Waits for one message box, records and dismisses it; empty text if none.
bool WaitMessageBox(const Process& p, const std::wstring& caption, std::wstring* text,
                    DWORD timeoutMs = 10000);

struct MenuItem {
  int id = 0;      // -1 for a popup
  UINT state = 0;  // GetMenuState flags (MF_CHECKED, MF_GRAYED, ...)
  std::wstring text;
  bool Checked() const { return (state & MF_CHECKED) != 0; }
};

// Reads menus of another process's window through the probe DLL.
class MenuProbe {
 public:
  MenuProbe();
  ~MenuProbe();
  MenuProbe(const MenuProbe&) = delete;
  MenuProbe& operator=(const MenuProbe&) = delete;

  // Hooks the target window's thread; false with error() set on failure.
  bool Attach(HWND target);
  // submenu -1: the menu bar; n: the items of the bar's n-th popup.
  bool Items(int submenu, std::vector<MenuItem>& out, DWORD timeoutMs = 5000);
  const std::wstring& error() const { return error_; }

 private:
  static LRESULT CALLBACK ReplyProc(HWND, UINT, WPARAM, LPARAM);
  HWND target_ = nullptr;
  HWND reply_ = nullptr;
  HMODULE dll_ = nullptr;
  HHOOK hook_ = nullptr;
  UINT query_ = 0;
  WORD cookie_ = 0;
  bool answered_ = false;
  std::wstring answer_;
  std::wstring error_;
};

}  // namespace e2e
