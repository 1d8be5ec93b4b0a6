#include "tests/win/menulink_integration/harness.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include "common/proc_address.h"

namespace {

std::vector<int32_t> registered;

// Of UniqueModule's names: two letters, five hex digits and ".EXE".
constexpr std::size_t kUniqueModuleLength = 11;

// An editor that is slow to start on a loaded machine looks hung to Wine
// for a while; a plain time-out waits for it instead of giving up at once.
constexpr UINT kEditorWaitMs = 20000;

UINT ReportMessage() { return RegisterWindowMessageA("MenulinkTestEditor.Report"); }
UINT ActionMessage() { return RegisterWindowMessageA("MenulinkTestEditor.Action"); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool Launch(const std::string& commandLine, PROCESS_INFORMATION* pi) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  std::string cmd = commandLine;
  return CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != FALSE;
}

}  // namespace

std::string LibraryPath() { return BinDirA() + "testlib\\menulink.dll"; }

std::string TempDir() {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  std::string dir = std::string(path) + "mlint-tests\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

const MenulinkInternalsTable* Internals() {
  static const MenulinkInternalsTable* table = [] {
    // Messages of the library in this process go to a file, never a box.
    SetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", (TempDir() + "driver-messages.txt").c_str());
    HMODULE dll = LoadLibraryA(LibraryPath().c_str());
    if (!dll) return static_cast<const MenulinkInternalsTable*>(nullptr);
    auto proc = ProcAddress<MenulinkInternalsProc>(dll, "MenulinkInternals");
    const MenulinkInternalsTable* t = proc ? proc() : nullptr;
    // The table outlives a run while any process keeps the library:
    // free the slots that earlier runs of these cases registered.
    for (int32_t i = 0; t && i < t->shared->appCount; ++i) {
      const AppRecord& rec = (*t->table)[i];
      bool ours = std::strlen(rec.module) == kUniqueModuleLength && rec.module[0] == 'T';
      if (!rec.running &&
          (ours || !lstrcmpiA(rec.module, "EXPLORER.EXE") || !lstrcmpiA(rec.module, "WinHlp32.exe")))
        t->disable(i);
    }
    return t;
  }();
  return table;
}

HMODULE LibraryModule() {
  if (!Internals()) return nullptr;
  return GetModuleHandleA(LibraryPath().c_str());
}

int32_t RegisterModule(const std::string& module) {
  const MenulinkInternalsTable* t = Internals();
  int32_t index = -1;
  if (!t || !t->findByModule(module.c_str(), &index)) return -1;
  if (index < 0) index = t->add(nullptr, module.c_str(), "unknown");
  if (index >= 0) {
    t->enable(index);
    registered.push_back(index);
  }
  return index;
}

void ReleaseRegistrations() {
  // Disabled slots are reused once the table is full.
  for (int32_t index : registered) Internals()->disable(index);
  registered.clear();
}

std::string UniqueModule(const char* prefix) {
  static int counter = 0;
  char name[32];
  std::snprintf(name, sizeof name, "%s%03lX%02X.EXE", prefix, GetCurrentProcessId() & 0xFFF,
                ++counter & 0xFF);
  return name;
}

Controller::Controller(bool stay) {
  log_ = TempDir() + "controller-" + std::to_string(GetCurrentProcessId()) + ".log";
  DeleteFileA(log_.c_str());
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "MenulinkController.Ready");
  ResetEvent(ready);
  std::string cmd = "\"" + BinDirA() + "controller.exe\" --dll \"" + LibraryPath() + "\" --log \"" + log_ +
                    "\" --lifetime 240000";
  if (stay) cmd += " --stay";
  if (Launch(cmd, &pi_)) started_ = WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0;
  CloseHandle(ready);
}

Controller::~Controller() {
  Quit();
  if (pi_.hProcess) {
    if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
}

std::string Controller::Log() const { return ReadFile(log_); }

void Controller::Quit() {
  if (HWND w = FindWindowA("Korvane.Glyphtap32", nullptr)) {
    DWORD_PTR r;
    SendMessageTimeoutA(w, RegisterWindowMessageA("MenulinkController.Quit"), 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &r);
  }
}

Editor::Editor(const std::string& module, const std::string& args) : module_(module) {
  static int counter = 0;
  std::string exe = TempDir() + module;
  CopyFileA((BinDirA() + "testeditor.exe").c_str(), exe.c_str(), FALSE);
  class_ = "MLTE" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
  report_ = TempDir() + class_ + ".txt";
  // What the library would show in a box goes to a file, so that a case
  // can print it and no box waits for a user; the driver's own setting is
  // put back once the editor has started.
  char previous[MAX_PATH] = {};
  bool hadPrevious = GetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", previous, sizeof previous) != 0;
  messages_ = TempDir() + class_ + ".msg";
  DeleteFileA(messages_.c_str());
  SetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", messages_.c_str());
  std::string cmd =
      "\"" + exe + "\" --class " + class_ + " --report \"" + report_ + "\" --lifetime 120000 " + args;
  bool launched = Launch(cmd, &pi_);
  SetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", hadPrevious ? previous : nullptr);
  if (!launched) return;
  WaitFor([&] { return (hwnd_ = FindWindowA(class_.c_str(), "Untitled - Test Editor")) != nullptr; }, 10000);
  if (hwnd_) {
    // Let the window's creation messages settle.
    DWORD_PTR r;
    SendMessageTimeoutA(hwnd_, WM_NULL, 0, 0, SMTO_NORMAL, kEditorWaitMs, &r);
  }
}

Editor::~Editor() {
  Close();
  if (pi_.hProcess) {
    if (!Exited(5000)) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
}

std::string Editor::Messages() const { return ReadFile(messages_); }

HWND Editor::SecondWindow() const { return FindWindowA(class_.c_str(), "Second - Test Editor"); }

HWND Editor::NthWindow(int n) const {
  return FindWindowA(class_.c_str(), ("Window " + std::to_string(n) + " - Test Editor").c_str());
}

bool Editor::Exited(DWORD ms) {
  return pi_.hProcess && WaitForSingleObject(pi_.hProcess, ms) == WAIT_OBJECT_0;
}

void Editor::Kill() {
  if (pi_.hProcess && !Exited(0)) TerminateProcess(pi_.hProcess, 1);
  Exited(5000);
}

void Editor::Close() {
  if (!pi_.hProcess || Exited(0)) return;
  // A real WM_CLOSE from the window's thread, so that the window is
  // released as when the user closes it.
  for (HWND w : {SecondWindow(), hwnd_})
    if (w && IsWindow(w)) PostMessageA(w, ActionMessage(), kCloseWindow, 0);
}

LRESULT Editor::Action(EditorAction action, LPARAM arg, HWND which) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(which ? which : hwnd_, ActionMessage(), action, arg, SMTO_NORMAL, kEditorWaitMs,
                      &result);
  return static_cast<LRESULT>(result);
}

EditorReport Editor::Report(HWND which) {
  EditorReport r;
  DeleteFileA(report_.c_str());
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(which ? which : hwnd_, ReportMessage(), 0, 0, SMTO_NORMAL, kEditorWaitMs,
                           &result) ||
      !result)
    return r;
  std::istringstream in(ReadFile(report_));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string key;
    ls >> key;
    if (key == "subclassed") {
      int v;
      ls >> v;
      r.subclassed = v != 0;
    } else if (key == "filemenu") {
      ls >> std::hex >> r.fileMenu;
    } else if (key == "sep") {
      MenuItem item;
      item.separator = true;
      r.items.push_back(item);
    } else if (key == "item") {
      MenuItem item;
      ls >> item.id >> item.state;
      ls.get();
      std::getline(ls, item.text);
      r.items.push_back(item);
    } else if (key == "commands" || key == "selections") {
      unsigned v;
      while (ls >> v) (key == "commands" ? r.commands : r.selections).push_back(v);
    } else if (key == "end") {
      r.ok = true;
    }
  }
  return r;
}

int EditorReport::Count(const std::string& text) const {
  int n = 0;
  for (const MenuItem& i : items) n += !i.separator && i.text == text;
  return n;
}

const MenuItem* EditorReport::Find(const std::string& text) const {
  for (const MenuItem& i : items)
    if (!i.separator && i.text == text) return &i;
  return nullptr;
}

std::string EditorReport::Texts() const {
  std::string s;
  for (const MenuItem& i : items) s += (s.empty() ? "" : "|") + (i.separator ? std::string("-") : i.text);
  return s;
}

bool SameMenu(const EditorReport& a, const EditorReport& b) {
  if (a.items.size() != b.items.size()) return false;
  for (size_t i = 0; i < a.items.size(); ++i) {
    const MenuItem &x = a.items[i], &y = b.items[i];
    if (x.separator != y.separator || x.id != y.id || x.state != y.state || x.text != y.text) return false;
  }
  return true;
}
