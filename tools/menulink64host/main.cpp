// menulink64host.exe CONTROLLER_PID [--dll PATH]
// Installs menulink64.dll's CallWndHook system-wide (a 32-bit controller
// cannot install a 64-bit hook), hands the handle to that library's GTHook
// and pumps messages. It unhooks and exits when the controller's process
// ends or the controller's window of class "Korvane.Glyphtap32" is gone,
// so that no process is left behind. One host at a time: a second one
// finds the named mutex and leaves.

#include <windows.h>

#include <cstdlib>
#include <cstring>
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

// The library is loaded into a thread at the first message sent to it.
BOOL CALLBACK WakeWindow(HWND hwnd, LPARAM) {
  DWORD_PTR result;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 500, &result);
  return TRUE;
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

  HMODULE library = LoadLibraryA(dllPath.c_str());
  auto hookProc = library ? ProcAddress<HOOKPROC>(library, "CallWndHook") : nullptr;
  auto gtHook = library ? ProcAddress<GTHookProc>(library, "GTHook") : nullptr;
  if (!hookProc || !gtHook) return 5;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, library, 0);
  if (!hook) return 6;
  gtHook(hook);
  EnumWindows(WakeWindow, 0);

  DWORD start = GetTickCount();
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
  }
  UnhookWindowsHookEx(hook);
  CloseHandle(owner);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}
