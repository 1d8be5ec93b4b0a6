// Both widths at once: Wine's 64-bit and 32-bit notepads registered, the
// 32-bit controller with the shipped libraries of both widths in one
// folder. The 32-bit library must start the 64-bit host; switching off
// must release the windows of both widths with one WM_CLOSE in all, sent
// only after the last of them let go; the host must leave with the
// controller. Both File menus carry the two items; unregistering and
// registering from the 32-bit side reach the 64-bit process at once; the
// running-applications box names the windows of both widths; an acquire
// run pastes the OCR server's text into the 64-bit notepad. Menus are read
// by menu_probe_cli of the notepad's own width (probe32\, probe64\ in
// the stage folder); the OCR stand-in is ocr\ocrserver.exe there,
// registered. Prints "FAIL: ..." lines and exits 1 on any failure.
//   widths_driver STAGE_FOLDER LOG_FILE

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/proc_address.h"
#include "menulink/registry/app_record.h"
#include "menulink/registry/shared_state.h"
#include "tests/win/common/test_files.h"

namespace {

int failures = 0;
void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

struct Notepads {
  HWND wide = nullptr, narrow = nullptr;
  std::string widePath;
};

BOOL CALLBACK FindNotepad(HWND hwnd, LPARAM param) {
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) != "Notepad") return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (p && QueryFullProcessImageNameA(p, 0, path, &size)) {
    auto* n = reinterpret_cast<Notepads*>(param);
    std::string s = path;
    for (char& c : s) c = (char)tolower((unsigned char)c);
    if (s.find("\\syswow64\\") != std::string::npos)
      n->narrow = hwnd;
    else if (s.find("\\system32\\") != std::string::npos) {
      n->wide = hwnd;
      n->widePath = path;
    }
  }
  if (p) CloseHandle(p);
  return TRUE;
}

bool HostRunning() {
  HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, "Glyphtap64HostMutex");
  if (m) CloseHandle(m);
  return m != nullptr;
}

std::string Lower(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// The controller's WM_CLOSE lines, each with the shared count it read
// when the message came ("served N, WM_CLOSE M").
std::vector<std::string> CloseLines(const std::string& log) {
  std::string text = ReadWholeFile(std::wstring(log.begin(), log.end()));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find("WM_CLOSE") != std::string::npos) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}
int CloseCount(const std::string& log) { return int(CloseLines(log).size()); }
std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "|";
  return all;
}

void Poke(HWND hwnd) {
  DWORD_PTR r;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
}

// Runs a menu_probe_cli; its exit code, and its output in *out.
int Probe(const std::string& cli, HWND target, DWORD waitMs, const std::string& conditions, std::string* out) {
  char file[MAX_PATH];
  char tempDir[MAX_PATH];
  GetTempPathA(MAX_PATH, tempDir);
  GetTempFileNameA(tempDir, "mpc", 0, file);
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE h = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = h;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + cli + "\" " + std::to_string(reinterpret_cast<UINT_PTR>(target)) + " " +
                    std::to_string(waitMs) + " " + conditions;
  DWORD code = 99;
  if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, waitMs + 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(h);
  std::string text = ReadWholeFile(std::wstring(file, file + std::strlen(file)));
  DeleteFileA(file);
  std::string flat;
  for (char c : text)
    if (c != '\r') flat += c == '\n' ? '|' : c;
  if (out) *out = flat;
  return int(code);
}

// Windows served over both widths, as the libraries count them; -1 when
// the block cannot be read.
int HookedCount() {
  HANDLE m = OpenFileMappingA(FILE_MAP_READ, FALSE, "GLYPHTAP_STATE_OBJECT");
  if (!m) return -1;
  int n = -1;
  if (auto* state = static_cast<const volatile SharedState*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0))) {
    n = state->hookedWindowCount;
    UnmapViewOfFile(const_cast<SharedState*>(state));
  }
  CloseHandle(m);
  return n;
}

// A copy of the shared table, read through its mapping as another
// process sees it; empty when it cannot be read.
std::vector<AppRecord> TableRecords() {
  std::vector<AppRecord> records;
  int used = -1;
  if (HANDLE sm = OpenFileMappingA(FILE_MAP_READ, FALSE, "GLYPHTAP_STATE_OBJECT")) {
    if (auto* state = static_cast<const volatile SharedState*>(MapViewOfFile(sm, FILE_MAP_READ, 0, 0, 0))) {
      used = state->appCount;
      UnmapViewOfFile(const_cast<SharedState*>(state));
    }
    CloseHandle(sm);
  }
  if (used < 0 || used > MAX_APPS) return records;
  HANDLE m = OpenFileMappingA(FILE_MAP_READ, FALSE, "GLYPHTAP_MAP_OBJECT");
  if (!m) return records;
  if (auto* table = static_cast<const AppTable*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, kAppTableBytes))) {
    records.assign(table->records, table->records + used);
    UnmapViewOfFile(table);
  }
  CloseHandle(m);
  return records;
}

std::string Field(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// The record of module (compared without case); false when none holds it.
bool FindRecord(const std::string& module, AppRecord* out) {
  for (const AppRecord& r : TableRecords())
    if (Lower(Field(r.module, sizeof r.module)) == Lower(module)) {
      *out = r;
      return true;
    }
  return false;
}

bool WaitCount(int expected) {
  for (int i = 0; i < 50 && HookedCount() != expected; ++i) Sleep(100);
  return HookedCount() == expected;
}

// A probe whose outcome is checked, with what it saw.
bool ProbeCheck(const std::string& cli, HWND target, DWORD waitMs, const std::string& conditions,
                const std::string& what) {
  std::string seen;
  int code = Probe(cli, target, waitMs, conditions, &seen);
  Check(code == 0, what + " (" + std::to_string(code) + "): " + seen);
  return code == 0;
}

const char kAcquire[] = "\"+Acquire Text...\" \"+Acquire Text Settings...\"";
const char kNoAcquire[] = "\"-Acquire Text...\" \"-Acquire Text Settings...\"";

// The running-applications box, asked for on a thread of its own, read and
// cancelled here: its text, empty when no box came.
struct BoxCall {
  int32_t(WINAPI* ask)(HWND) = nullptr;
  int32_t result = -1;
};
DWORD WINAPI AskRunning(void* p) {
  auto* call = static_cast<BoxCall*>(p);
  call->result = call->ask(nullptr);
  return 0;
}
BOOL CALLBACK FindBox(HWND w, LPARAM p) {
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}
BOOL CALLBACK CollectStatic(HWND child, LPARAM out) {
  char cls[32], text[1024];
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
    *reinterpret_cast<std::string*>(out) += text;
  return TRUE;
}
std::string RunningBox(int32_t(WINAPI* ask)(HWND), int32_t* result) {
  BoxCall call;
  call.ask = ask;
  DWORD thread = 0;
  HANDLE t = CreateThread(nullptr, 0, AskRunning, &call, 0, &thread);
  HWND box = nullptr;
  for (int i = 0; i < 100 && !box; ++i, Sleep(100)) EnumThreadWindows(thread, FindBox, (LPARAM)&box);
  std::string text;
  if (box) {
    EnumChildWindows(box, CollectStatic, (LPARAM)&text);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  }
  WaitForSingleObject(t, 10000);
  CloseHandle(t);
  *result = call.result;
  return text;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

std::string EditText(HWND notepad) {
  HWND edit = FindWindowExA(notepad, nullptr, "Edit", nullptr);
  char buf[512] = {};
  DWORD_PTR r;
  if (edit) SendMessageTimeoutA(edit, WM_GETTEXT, sizeof buf, (LPARAM)buf, SMTO_ABORTIFHUNG, 2000, &r);
  return buf;
}

std::string listed;
void WINAPI Collect(const char* name, int32_t flag) { listed += std::string(name) + "|" + std::to_string(flag) + ";"; }

// The first visible top-level window with a menu of a process, waited
// for up to 10 s; nullptr when none came.
HWND WaitForMainWindow(DWORD pid) {
  struct Find {
    DWORD pid;
    HWND found;
  } f{pid, nullptr};
  for (int i = 0; i < 200 && !f.found; ++i, Sleep(50))
    EnumWindows(
        [](HWND w, LPARAM p) CALLBACK -> BOOL {
          auto* f = reinterpret_cast<Find*>(p);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == f->pid && !GetParent(w) && GetMenu(w) && IsWindowVisible(w)) f->found = w;
          return f->found ? FALSE : TRUE;
        },
        (LPARAM)&f);
  return f.found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string stage = argv[1], log = argv[2];
  if (stage.back() != '\\') stage += '\\';
  Notepads n;
  for (int i = 0; i < 200 && !(n.wide && n.narrow); ++i, Sleep(50)) EnumWindows(FindNotepad, (LPARAM)&n);
  Check(n.wide && n.narrow, "64-bit and 32-bit notepad found");
  if (!n.wide || !n.narrow) return 1;
  Check(!HostRunning(), "no host before the controller");

  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "MenulinkController.Ready");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + stage + "controller.exe\" --stay --log \"" + log + "\"";
  Check(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE,
        "controller started");
  Check(WaitForSingleObject(ready, 15000) == WAIT_OBJECT_0, "controller ready");
  bool host = false;
  for (int i = 0; i < 100 && !(host = HostRunning()); ++i) Sleep(100);
  Check(host, "the 32-bit library started menulink64host.exe");
  Sleep(1000);  // the host wakes the windows and hooks them
  DWORD_PTR r;
  for (HWND w : {n.wide, n.narrow}) SendMessageTimeoutA(w, WM_ACTIVATEAPP, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &r);

  // The management exports, as the controller calls them.
  HMODULE ml = LoadLibraryA((stage + "menulink.dll").c_str());
  auto getModules = ProcAddress<void(WINAPI*)(void(WINAPI*)(const char*, int32_t))>(ml, "GTGetModules");
  auto listUpdate = ProcAddress<int32_t(WINAPI*)(int32_t)>(ml, "GTListUpdate");
  auto disable = ProcAddress<int32_t(WINAPI*)()>(ml, "GTDisableGlyphtap");
  auto enable = ProcAddress<void(WINAPI*)()>(ml, "GTEnableGlyphtap");
  Check(getModules && listUpdate && disable && enable, "exports found");
  if (!getModules || !listUpdate || !disable || !enable) return 1;
  // Wine's 64-bit wordpad (File, Edit, Paste), not in the table: the
  // listing of the 32-bit side must name it and add it with its 64-bit
  // path, which a module snapshot cannot read across widths.
  const std::string wordpad64 = "C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe";
  STARTUPINFOA wsi = {};
  wsi.cb = sizeof wsi;
  PROCESS_INFORMATION wpi = {};
  std::string wcmd = "\"" + wordpad64 + "\"";
  HWND wordpad = nullptr;
  if (CreateProcessA(nullptr, wcmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &wsi, &wpi)) {
    BOOL wow = TRUE;
    IsWow64Process(wpi.hProcess, &wow);
    Check(!wow, "the wordpad started is a 64-bit process");
    WaitForInputIdle(wpi.hProcess, 10000);
    wordpad = WaitForMainWindow(wpi.dwProcessId);
  }
  Check(wordpad != nullptr, "64-bit wordpad started: " + wordpad64);
  AppRecord before = {};
  Check(!FindRecord("WORDPAD.EXE", &before), "no wordpad record before the listing");

  // Its menu is read in its own process, by the 64-bit library the host
  // puts there (it hooks new 64-bit threads every 250 ms).
  Sleep(1000);
  getModules(Collect);
  AppRecord pad = {};
  bool padFound = FindRecord("WORDPAD.EXE", &pad);
  std::string padTitle = padFound ? Field(pad.title, sizeof pad.title) : "";
  std::string padPath = padFound ? Field(pad.path, sizeof pad.path) : "";
  Check(padFound && pad.enabled == 0 && !padTitle.empty() && listed.find(padTitle + "|0;") != std::string::npos,
        "the listing names the 64-bit wordpad as a candidate (" + padTitle + "): " + listed);
  Check(Lower(padPath) == Lower(wordpad64), "its record holds the 64-bit wordpad's full path: " + padPath);
  listUpdate(0);
  Check(listed.find("Notepad|1;") != std::string::npos, "registered notepad listed: " + listed);
  if (wordpad) {
    PostMessageA(wordpad, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(wpi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(wpi.hProcess, 1);
  }
  if (wpi.hProcess) {
    CloseHandle(wpi.hProcess);
    CloseHandle(wpi.hThread);
  }
  auto registerApp = ProcAddress<void(WINAPI*)(const char*)>(ml, "GTRegisterNewApp");
  auto unregisterApp = ProcAddress<void(WINAPI*)(const char*)>(ml, "GTUnregisterApp");
  auto running = ProcAddress<int32_t(WINAPI*)(HWND)>(ml, "GTGetRunningApps");
  Check(registerApp && unregisterApp && running, "management exports found");
  if (!registerApp || !unregisterApp || !running) return 1;

  // Both File menus, each read from a process of its own width.
  const std::string cli64 = stage + "probe64\\menu_probe_cli.exe", cli32 = stage + "probe32\\menu_probe_cli.exe";
  ProbeCheck(cli64, n.wide, 15000, kAcquire, "64-bit notepad's File menu has the items");
  ProbeCheck(cli32, n.narrow, 15000, kAcquire, "32-bit notepad's File menu has the items");
  Check(WaitCount(2), "two windows served (" + std::to_string(HookedCount()) + ")");

  // A 64-bit notepad started now is served without being activated again:
  // the host hooks its thread after the window was created.
  {
    STARTUPINFOA nsi = {};
    nsi.cb = sizeof nsi;
    PROCESS_INFORMATION npi = {};
    char late[] = "C:\\windows\\sysnative\\notepad.exe";
    HWND lateWindow = nullptr;
    if (CreateProcessA(nullptr, late, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &nsi, &npi)) {
      lateWindow = WaitForMainWindow(npi.dwProcessId);
    }
    Check(lateWindow != nullptr, "a 64-bit notepad started after the controller");
    if (lateWindow) {
      ProbeCheck(cli64, lateWindow, 10000, kAcquire, "the late 64-bit notepad is served without activation");
      Check(WaitCount(3), "three windows served (" + std::to_string(HookedCount()) + ")");
      PostMessageA(lateWindow, WM_CLOSE, 0, 0);
      WaitForSingleObject(npi.hProcess, 10000);
      Check(WaitCount(2), "closed, two windows served (" + std::to_string(HookedCount()) + ")");
    }
    if (npi.hProcess) {
      CloseHandle(npi.hProcess);
      CloseHandle(npi.hThread);
    }
  }

  // Unregistered from the 32-bit side: the 64-bit window lets go at its
  // next message, and registered again it is served again.
  unregisterApp("NOTEPAD.EXE");
  ProbeCheck(cli64, n.wide, 5000, kNoAcquire, "unregistered: the 64-bit File menu lacks the items");
  ProbeCheck(cli32, n.narrow, 5000, kNoAcquire, "unregistered: the 32-bit File menu lacks the items");
  Check(WaitCount(0), "unregistered, no window served (" + std::to_string(HookedCount()) + ")");
  registerApp(n.widePath.c_str());
  for (HWND w : {n.wide, n.narrow}) SendMessageTimeoutA(w, WM_ACTIVATEAPP, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &r);
  ProbeCheck(cli64, n.wide, 5000, kAcquire, "registered again: the 64-bit File menu has the items");
  ProbeCheck(cli32, n.narrow, 5000, kAcquire, "registered again: the 32-bit File menu has the items");
  Check(WaitCount(2), "registered again, two windows served (" + std::to_string(HookedCount()) + ")");

  // One line a served window: both notepads, the 64-bit one included.
  int32_t answer = -1;
  std::string box = RunningBox(running, &answer);
  Check(answer == 1 && CountOf(box, "Notepad") == 2,
        "running applications box names both notepads (" + std::to_string(answer) + "): " + box);
  // The record that names them holds the 64-bit notepad's path, as it was
  // registered; the 32-bit notepad's (SysWOW64) must not have replaced it.
  AppRecord notepad = {};
  bool notepadFound = FindRecord("NOTEPAD.EXE", &notepad);
  std::string notepadPath = notepadFound ? Field(notepad.path, sizeof notepad.path) : "";
  Check(notepadFound && notepad.running == 1 && notepad.enabled == 1 &&
            Lower(notepadPath) == Lower(n.widePath) && Lower(notepadPath).find("\\system32\\") != std::string::npos,
        "the running NOTEPAD.EXE record holds the 64-bit notepad's path: " + notepadPath + " (" + n.widePath +
            ")");

  // An acquire run in the 64-bit notepad, answered by the 32-bit server.
  const std::string ocr = stage + "ocr\\";
  const std::string text = "Recognised for the 64-bit notepad";
  Check(WriteAll(std::wstring(ocr.begin(), ocr.end()) + L"ocrserver-script.txt",
                 "IsAppBusy=1,1,0\nclipboard=" + text + "\n"),
        "server script written");
  DeleteFileA((ocr + "ocrserver-calls.log").c_str());
  ProbeCheck(cli64, n.wide, 15000, "\"=Acquire Text...\"", "Acquire Text... chosen in the 64-bit notepad");
  bool pasted = false;
  for (int i = 0; i < 300 && !(pasted = EditText(n.wide).find(text) != std::string::npos); ++i) Sleep(100);
  Check(pasted, "the server's text is in the 64-bit notepad: " + EditText(n.wide));
  std::string calls = ReadWholeFile(std::wstring(ocr.begin(), ocr.end()) + L"ocrserver-calls.log");
  Check(calls.find("StartSession(I:" + std::to_string(reinterpret_cast<INT_PTR>(n.wide)) + ")") !=
                std::string::npos &&
            calls.find("EndSession()") != std::string::npos,
        "the server saw a whole session for the 64-bit window");

  Check(WaitCount(2), "after the run, two windows served (" + std::to_string(HookedCount()) + ")");
  // Switched off: the 32-bit window lets go at once; the 64-bit one at its
  // next message, which may come on its own at any time. What must hold:
  // the controller hears WM_CLOSE only once the shared count is 0, once.
  disable();
  Poke(n.narrow);
  for (int i = 0; i < 50 && HookedCount() > 1; ++i) Sleep(100);
  // The log before the count: a release between the two reads cannot make
  // an early WM_CLOSE appear.
  std::vector<std::string> early = CloseLines(log);
  int left = HookedCount();
  Check(left == 0 || left == 1, "the 32-bit window let go (" + std::to_string(left) + " served)");
  if (left == 1) Check(early.empty(), "no WM_CLOSE while the 64-bit window is still served: " + Joined(early));
  Poke(n.wide);
  for (int i = 0; i < 50 && CloseCount(log) == 0; ++i) Sleep(100);
  Sleep(500);
  for (HWND w : {n.wide, n.narrow}) Poke(w);
  Sleep(300);
  std::vector<std::string> closes = CloseLines(log);
  Check(closes.size() == 1, "one WM_CLOSE in all after both widths let go: " + Joined(closes));
  bool allAtZero = !closes.empty();
  for (const std::string& line : closes) allAtZero = allAtZero && line.rfind("served 0,", 0) == 0;
  Check(allAtZero, "every WM_CLOSE came with no window served: " + Joined(closes));
  enable();

  // The controller ends: the host must follow.
  PostMessageA(FindWindowA("Korvane.Glyphtap32", nullptr), RegisterWindowMessageA("MenulinkController.Quit"), 0,
               0);
  Check(WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0, "controller ended");
  for (int i = 0; i < 50 && HostRunning(); ++i) Sleep(100);
  Check(!HostRunning(), "the host left with the controller");
  return failures ? 1 : 0;
}
