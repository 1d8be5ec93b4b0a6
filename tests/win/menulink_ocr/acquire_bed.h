#pragma once
// Test bed of the acquire runs: the real menulink.dll (loaded with message
// capture on), the stand-in OCR server beside this program, a plain editor
// window with File and Edit > Paste, and a watcher for the paste message box.

#include <windows.h>

#include <string>
#include <vector>

#include "menulink/integration/acquire_internals.h"
#include "menulink/registry/internals.h"

namespace acquirebed {

// Loaded once per process; null when menulink.dll could not be loaded.
const MenulinkInternalsTable* Registry();
const MenulinkAcquireTable* Runs();

std::wstring BesideExe(const wchar_t* name);
// Runs ocrserver.exe with one switch and returns its exit code.
DWORD RunServerCommand(const wchar_t* sw);

void WriteScript(const std::string& text);
void ClearServerLog();
// Calls the server logged, without the '#' lines; consecutive IsAppBusy()
// lines collapsed into one, their number in *busyCalls when given.
std::vector<std::string> ServerCalls(int* busyCalls = nullptr);
bool ServerStarted();

void ClearMessages();
// Captured error messages: the id of each, in order.
std::vector<int> MessageIds();
std::vector<std::string> MessageLines();

// A top-level window with a menu bar; pastes land in pastedText.
struct Editor {
  HWND hwnd = nullptr;
  int pastes = 0;
  int lastCommand = 0;
  std::wstring pastedText;
  int paintsWhileBusy = 0;
};
// menuSpec: "standard" (File: Close, Exit; Edit: Paste 275), "closegrey"
// (the same with Close greyed), "noedit", "editcommand" (Edit is a plain
// command item 276), "french" (Fichier / Edition > Coller 277).
Editor* MakeEditor(const char* windowClass, const char* menuSpec);
void DestroyEditor(Editor* e);
void Pump(DWORD ms);

// Makes the editor the window of the current subclass record for the run.
void SubclassFor(Editor* e, int language);
void ClearSubclass();

// Watches this thread's windows for a message box, records it and presses
// OK. Stop() returns whether a box was seen.
class BoxWatcher {
 public:
  BoxWatcher();
  ~BoxWatcher();
  bool Stop();
  std::string caption, text;

 private:
  static DWORD WINAPI Main(void* self);
  HANDLE thread_ = nullptr;
  HANDLE stop_ = nullptr;
  DWORD owner_ = 0;
  volatile LONG seen_ = 0;
};

bool ThreadHasOle();  // OLE/COM still initialised on this thread
bool LaunchMarkerExists();
int32_t AcquireBusy();
int32_t AppIndex(const char* module);  // adds the record when missing

}  // namespace acquirebed
