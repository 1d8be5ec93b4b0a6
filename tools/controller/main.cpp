// Stand-in for the front end that switches the menu integration on: it
// installs the library's CallWndHook as a system-wide WH_CALLWNDPROC hook,
// hands the handle to GTHook, owns the window of class
// "Korvane.Glyphtap32", and removes the hook when that window gets
// WM_CLOSE (no window procedure of the library is installed any more).
//
//   controller [--dll PATH] [--log FILE] [--stay] [--lifetime MS]
//   controller [--dll PATH] COMMAND ...   (management, see commands.h)
//
// --stay keeps the hook after WM_CLOSE and only counts the messages, so
// that a test can tell one WM_CLOSE from several; the registered message
// "MenulinkController.Quit" then ends it. The named event
// "MenulinkController.Ready" is set once the hook is in and every GUI
// thread has been made to load the library.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/controller/commands.h"
#include "common/file_util.h"
#include "tools/common/stand_in.h"
#include "common/proc_address.h"
#include "menulink/registry/shared_state.h"

namespace {

using HookProc = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);
using GTHookProc = HHOOK(WINAPI*)(HHOOK);

std::string logPath;
bool stay = false;
HHOOK hook = nullptr;
HWND ownWindow = nullptr;
UINT quitMessage = 0;
int closeCount = 0;

// The shared count of served windows as the libraries keep it; -1 when no
// library has made the block.
long ServedCount() {
  HANDLE m = OpenFileMappingA(FILE_MAP_READ, FALSE, "GLYPHTAP_STATE_OBJECT");
  if (!m) return -1;
  long n = -1;
  if (auto* state = static_cast<const volatile SharedState*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0))) {
    n = state->hookedWindowCount;
    UnmapViewOfFile(const_cast<SharedState*>(state));
  }
  CloseHandle(m);
  return n;
}

void Log(const char* format, ...) {
  if (logPath.empty()) return;
  va_list args;
  va_start(args, format);
  AppendLogLine(logPath, 254, "\n", format, args);
  va_end(args);
}

void RemoveHook() {
  if (!hook) return;
  UnhookWindowsHookEx(hook);
  hook = nullptr;
  Log("unhooked");
}

// The hook library is loaded into a thread lazily, at the first message
// sent to it: wake every GUI thread that has a top-level window.
BOOL CALLBACK WakeWindow(HWND hwnd, LPARAM count) {
  if (hwnd == ownWindow) return TRUE;
  DWORD_PTR result;
  SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 500, &result);
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

LRESULT CALLBACK ControllerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == quitMessage && quitMessage) {
    RemoveHook();
    DestroyWindow(hwnd);
    return 1;
  }
  switch (msg) {
    case WM_CLOSE:
      ++closeCount;
      // The count is logged too: a WM_CLOSE while windows are still served
      // would be sent too early. Tests look for "WM_CLOSE <n>" at the end.
      Log("served %ld, WM_CLOSE %d", ServedCount(), closeCount);
      if (stay) return 0;
      RemoveHook();
      DestroyWindow(hwnd);
      return 0;
    default:
      return StandInWindowDefault(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The library of this program's own width.
  std::string dllPath = ExeFolder<char>() + (sizeof(void*) == 8 ? "menulink64.dll" : "menulink.dll");
  DWORD lifetimeMs = 0;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--dll" && i + 1 < argc)
      dllPath = argv[++i];
    else if (a == "--log" && i + 1 < argc)
      logPath = argv[++i];
    else if (a == "--lifetime" && i + 1 < argc)
      lifetimeMs = std::strtoul(argv[++i], nullptr, 10);
    else if (a == "--stay")
      stay = true;
    else if (IsManagementCommand(argv[i])) {
      HMODULE library = LoadLibraryA(dllPath.c_str());
      if (!library) {
        std::fprintf(stderr, "controller: cannot load %s (%lu)\n", dllPath.c_str(), GetLastError());
        return 3;
      }
      return RunManagementCommands(library, argc - i, argv + i);
    } else {
      std::fprintf(stderr, "controller: bad argument %s\n", a.c_str());
      return 2;
    }
  }

  HMODULE library = LoadLibraryA(dllPath.c_str());
  if (!library) {
    Log("cannot load %s (%lu)", dllPath.c_str(), GetLastError());
    return 3;
  }
  auto hookProc = ProcAddress<HookProc>(library, "CallWndHook");
  auto gtHook = ProcAddress<GTHookProc>(library, "GTHook");
  if (!hookProc || !gtHook) {
    Log("exports missing");
    return 4;
  }

  HINSTANCE instance = GetModuleHandleA(nullptr);
  quitMessage = RegisterWindowMessageA("MenulinkController.Quit");
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ControllerProc;
  wc.hInstance = instance;
  wc.lpszClassName = "Korvane.Glyphtap32";
  if (!RegisterClassA(&wc)) return 5;
  ownWindow = CreateWindowExA(0, wc.lpszClassName, "Glyphtap", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, instance, nullptr);
  if (!ownWindow) return 5;

  hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, library, 0);
  if (!hook) {
    Log("SetWindowsHookEx failed (%lu)", GetLastError());
    return 6;
  }
  gtHook(hook);
  Log("hooked");
  int woken = 0;
  EnumWindows(WakeWindow, reinterpret_cast<LPARAM>(&woken));
  Log("ready %d", woken);
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "MenulinkController.Ready");
  if (ready) SetEvent(ready);

  if (lifetimeMs) SetTimer(nullptr, 0, lifetimeMs, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  RemoveHook();
  Log("exit");
  if (ready) {
    ResetEvent(ready);
    CloseHandle(ready);
  }
  return 0;
}
