// menulink64host.exe CONTROLLER_PID [--dll PATH]
// Installs menulink64.dll's CallWndHook (a 32-bit controller cannot
// install a 64-bit hook), hands a handle to that library's GTHook and
// pumps messages.
//
// The hook goes on the GUI threads of 64-bit processes one by one, not
// system-wide: a system-wide hook of this width would stand in front of
// the controller's in every chain, and a 32-bit process cannot load this
// library, so Wine ends the chain there and the 32-bit hook behind it
// would never run. Threads are looked for again every kCheckMs; the
// windows of a thread just hooked are told to be looked at, since they
// were created before the hook. It unhooks and exits when the controller's process
// ends or the controller's window of class "Korvane.Glyphtap32" is gone,
// so that no process is left behind. One host at a time: a second one
// finds the named mutex and leaves.

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <iterator>
#include <set>
#include <string>

#include "common/file_util.h"
#include "common/proc_address.h"

namespace {

using GTHookProc = HHOOK(WINAPI*)(HHOOK);

constexpr char kHostMutex[] = "Glyphtap64HostMutex";
constexpr char kControllerClass[] = "Korvane.Glyphtap32";
constexpr DWORD kCheckMs = 250;
// A controller that starts us before its window exists gets this long.
constexpr DWORD kWindowGraceMs = 10000;

constexpr char kCheckMessage[] = "Glyphtap64HostCheck";

HMODULE library = nullptr;
HOOKPROC hookProc = nullptr;
UINT checkMessage = 0;

// A newly hooked thread's windows are told to look again at each scan: a
// window met in the middle of its creation, or a thread too busy starting
// to answer at once, is served all the same. A window is told until it has
// answered once while shown (its creation done), for this long at most.
constexpr DWORD kTellForMs = 30000;
std::set<HWND> lookedAt;  // windows that answered while shown

struct HookedThread {
  HHOOK hook;
  HANDLE thread;  // tells when the thread is gone and its id may come again
  DWORD hookedAt;
};
std::map<DWORD, HookedThread> hooked;

// Only a process known to be 64-bit: a thread of a 32-bit one would end its
// hook chain at this library, which it cannot load.
bool IsWideProcess(DWORD pid) {
  if (pid == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return false;
  BOOL wow64 = TRUE;
  bool wide = IsWow64Process(process, &wow64) && !wow64;
  CloseHandle(process);
  return wide;
}

BOOL CALLBACK HookWindowThread(HWND hwnd, LPARAM) {
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
  if (!tid || hooked.count(tid) || !IsWideProcess(pid)) return TRUE;
  HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, tid);
  if (!thread) return TRUE;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, library, tid);
  if (!hook) {
    CloseHandle(thread);
    return TRUE;
  }
  hooked[tid] = {hook, thread, GetTickCount()};
  return TRUE;
}

BOOL CALLBACK TellWindow(HWND hwnd, LPARAM fresh) {
  DWORD tid = GetWindowThreadProcessId(hwnd, nullptr);
  if (!reinterpret_cast<std::map<DWORD, bool>*>(fresh)->count(tid) || lookedAt.count(hwnd)) return TRUE;
  const bool shown = IsWindowVisible(hwnd) != FALSE;
  DWORD_PTR result;
  if (SendMessageTimeoutA(hwnd, checkMessage, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 500, &result) && shown)
    lookedAt.insert(hwnd);
  return TRUE;
}

// Forgets threads that ended, hooks the new ones, and has their windows
// looked at.
void Rescan() {
  for (auto it = hooked.begin(); it != hooked.end();) {
    if (WaitForSingleObject(it->second.thread, 0) == WAIT_OBJECT_0) {
      UnhookWindowsHookEx(it->second.hook);
      CloseHandle(it->second.thread);
      it = hooked.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = lookedAt.begin(); it != lookedAt.end();) it = IsWindow(*it) ? std::next(it) : lookedAt.erase(it);
  EnumWindows(HookWindowThread, 0);
  std::map<DWORD, bool> fresh;
  const DWORD now = GetTickCount();
  for (const auto& h : hooked)
    if (now - h.second.hookedAt < kTellForMs) fresh[h.first] = true;
  if (!fresh.empty()) EnumWindows(TellWindow, reinterpret_cast<LPARAM>(&fresh));
}

void UnhookAll() {
  for (auto& h : hooked) {
    UnhookWindowsHookEx(h.second.hook);
    CloseHandle(h.second.thread);
  }
  hooked.clear();
}

}  // namespace

int main(int argc, char** argv) {
  DWORD ownerPid = 0;
  std::string dllPath = ExeFolder<char>() + "menulink64.dll";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dll") == 0 && i + 1 < argc)
      dllPath = argv[++i];
    else
      ownerPid = std::strtoul(argv[i], nullptr, 10);
  }
  if (!ownerPid) return 2;

  HANDLE mutex = CreateMutexA(nullptr, TRUE, kHostMutex);
  if (!mutex) return 3;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return 0;
  }
  HANDLE owner = OpenProcess(SYNCHRONIZE, FALSE, ownerPid);
  if (!owner) return 4;

  library = LoadLibraryA(dllPath.c_str());
  hookProc = library ? ProcAddress<HOOKPROC>(library, "CallWndHook") : nullptr;
  auto gtHook = library ? ProcAddress<GTHookProc>(library, "GTHook") : nullptr;
  if (!hookProc || !gtHook) return 5;
  checkMessage = RegisterWindowMessageA(kCheckMessage);
  // The handle GTHook keeps is only passed back to CallNextHookEx, which
  // finds the next hook from the calling thread: the host's own thread
  // hook serves for all of them, and switches the feature on.
  HHOOK own = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, library, GetCurrentThreadId());
  if (!own) return 6;
  gtHook(own);
  Rescan();

  DWORD start = GetTickCount(), lastScan = start;
  bool windowSeen = false;
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &owner, FALSE, kCheckMs, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;  // the controller's process ended
    if (r == WAIT_OBJECT_0 + 1) {
      MSG msg;
      bool quit = false;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) quit = true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (quit) break;
    }
    if (FindWindowA(kControllerClass, nullptr))
      windowSeen = true;
    else if (windowSeen || GetTickCount() - start > kWindowGraceMs)
      break;  // the controller closed its window: the feature is off
    // Not at every message: each look opens every 32-bit process anew.
    if (GetTickCount() - lastScan >= kCheckMs) {
      Rescan();
      lastScan = GetTickCount();
    }
  }
  UnhookAll();
  UnhookWindowsHookEx(own);
  CloseHandle(owner);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}
