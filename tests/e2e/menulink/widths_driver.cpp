// Both widths at once: Wine's 64-bit and 32-bit notepads registered, the
// 32-bit controller with the shipped libraries of both widths in one
// folder. The 32-bit library must start the 64-bit host; switching off
// must release the windows of both widths with one WM_CLOSE in all, sent
// only after the last of them let go; the host must leave with the
// controller. Prints "FAIL: ..." lines and exits 1 on any failure.
//   widths_driver STAGE_FOLDER LOG_FILE

#include <windows.h>

#include <cstdio>
#include <string>

#include "common/file_util.h"
#include "common/proc_address.h"

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

int CloseCount(const std::string& log) {
  std::string text = ReadWholeFile(std::wstring(log.begin(), log.end()));
  int n = 0;
  for (size_t at = 0; (at = text.find("WM_CLOSE", at)) != std::string::npos; ++at) ++n;
  return n;
}

void Poke(HWND hwnd) {
  DWORD_PTR r;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
}

std::string listed;
void WINAPI Collect(const char* name, int32_t flag) { listed += std::string(name) + "|" + std::to_string(flag) + ";"; }

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
  getModules(Collect);
  listUpdate(0);
  Check(listed.find("Notepad|1;") != std::string::npos, "registered notepad listed: " + listed);

  // Switched off: the 32-bit window lets go first. The 64-bit one still
  // holds the shared count, so the controller must not hear yet.
  disable();
  Poke(n.narrow);
  Sleep(500);
  Check(CloseCount(log) == 0, "no WM_CLOSE while the 64-bit window is still served");
  Poke(n.wide);
  for (int i = 0; i < 50 && CloseCount(log) == 0; ++i) Sleep(100);
  Sleep(500);
  for (HWND w : {n.wide, n.narrow}) Poke(w);
  Sleep(300);
  Check(CloseCount(log) == 1, "one WM_CLOSE in all after both widths let go (" +
                                  std::to_string(CloseCount(log)) + ")");
  enable();

  // The controller ends: the host must follow.
  PostMessageA(FindWindowA("Korvane.Glyphtap32", nullptr), RegisterWindowMessageA("MenulinkController.Quit"), 0,
               0);
  Check(WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0, "controller ended");
  for (int i = 0; i < 50 && HostRunning(); ++i) Sleep(100);
  Check(!HostRunning(), "the host left with the controller");
  return failures ? 1 : 0;
}
