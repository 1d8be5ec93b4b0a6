// Cost of a message the library does not handle, sent to a window of a
// hooked process: with the library's hook and subclass, against an empty
// hook and against no hook. Prints ratios measured in one run. The four
// set-ups take turns within every round, so a change in machine load
// touches them all alike; each ratio is of the medians over the rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "menulink/registry/internals.h"
#include "common/file_util.h"
#include "common/proc_address.h"

namespace {

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return m == WM_USER + 7 ? w + 1 : DefWindowProcA(h, m, w, l);
}

// The least any subclass can cost: pass every message on.
WNDPROC bareOld = nullptr;
LRESULT CALLBACK BareSubclass(HWND h, UINT m, WPARAM w, LPARAM l) {
  return CallWindowProcA(bareOld, h, m, w, l);
}

// Seconds per message.
double Measure(HWND hwnd, int n) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  for (int i = 0; i < n; ++i) SendMessageA(hwnd, WM_USER + 7, i, 0);
  QueryPerformanceCounter(&b);
  return double(b.QuadPart - a.QuadPart) / f.QuadPart / n;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

HWND MakeWindow(HINSTANCE instance) {
  HMENU bar = CreateMenu(), file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 1, "E&xit");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  return CreateWindowExA(0, "HookBench", "Bench", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, bar, instance,
                         nullptr);
}

}  // namespace

int main() {
  const std::string dir = ExeFolder<char>();
  HMODULE lib = LoadLibraryA((dir + "testlib\\menulink.dll").c_str());
  auto internals = lib ? ProcAddress<MenulinkInternalsProc>(lib, "MenulinkInternals") : nullptr;
  auto hookProc = lib ? ProcAddress<HOOKPROC>(lib, "CallWndHook") : nullptr;
  auto gtHook = lib ? ProcAddress<HHOOK(WINAPI*)(HHOOK)>(lib, "GTHook") : nullptr;
  if (!internals || !hookProc || !gtHook) {
    std::printf("hookbench: menulink.dll not usable\n");
    return 1;
  }
  // The empty hook lives in a DLL too: a hook procedure in the exe, with
  // no module handle, takes another (slower) path through Wine.
  HMODULE emptyLib = LoadLibraryA((dir + "emptyhook.dll").c_str());
  auto emptyProc = emptyLib ? ProcAddress<HOOKPROC>(emptyLib, "EmptyHook") : nullptr;
  if (!emptyProc) {
    std::printf("hookbench: emptyhook.dll not usable\n");
    return 1;
  }
  const MenulinkInternalsTable* t = internals();
  int32_t index = -1;
  t->findByModule("hookbench.exe", &index);
  if (index < 0) index = t->add(nullptr, "HOOKBENCH.EXE", "unknown");
  t->enable(index);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "HookBench";
  RegisterClassA(&wc);
  // The library serves one window a process: "plain" never gets its
  // subclass, "served" keeps it for the whole run.
  HWND plain = MakeWindow(wc.hInstance);
  HWND served = MakeWindow(wc.hInstance);
  HWND bare = MakeWindow(wc.hInstance);
  bareOld = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(bare, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BareSubclass)));
  DWORD thread = GetCurrentThreadId();

  HHOOK ours = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, lib, thread);
  gtHook(ours);
  SendMessageA(served, WM_ACTIVATEAPP, TRUE, 0);  // the library subclasses the window
  UnhookWindowsHookEx(ours);
  bool subclassed = GetWindowLongPtrA(served, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(Proc);

  const int rounds = 9, plainN = 200000, hookedN = 4000;
  std::vector<double> none, bareSubclass, subclassOnly, empty, library;
  for (int r = 0; r < rounds; ++r) {
    none.push_back(Measure(plain, plainN));
    bareSubclass.push_back(Measure(bare, plainN));
    subclassOnly.push_back(Measure(served, plainN));
    HHOOK e = SetWindowsHookExA(WH_CALLWNDPROC, emptyProc, emptyLib, thread);
    empty.push_back(Measure(plain, hookedN));
    UnhookWindowsHookEx(e);
    ours = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, lib, thread);
    gtHook(ours);
    library.push_back(Measure(served, hookedN));
    UnhookWindowsHookEx(ours);
  }
  SendMessageA(served, WM_CLOSE, 0, 0);  // releases the subclass
  t->disable(index);

  double n0 = Median(none), b0 = Median(bareSubclass), s0 = Median(subclassOnly), e0 = Median(empty),
         l0 = Median(library);
  std::printf("hook bench (median of %d rounds)%s\n", rounds, subclassed ? "" : " [window NOT subclassed]");
  std::printf(
      "  per message: none %.3f us, bare subclass %.3f us, library subclass %.3f us,\n"
      "               empty hook %.2f us, library hook+subclass %.2f us\n",
      n0 * 1e6, b0 * 1e6, s0 * 1e6, e0 * 1e6, l0 * 1e6);
  std::printf("  empty hook / no hook:           %.3f\n", e0 / n0);
  std::printf("  library hook+subclass / empty:  %.3f\n", l0 / e0);
  std::printf("  library hook+subclass / none:   %.3f\n", l0 / n0);
  std::printf("  library subclass / none:        %.3f\n", s0 / n0);
  std::printf("  library subclass / bare one:    %.3f\n", s0 / b0);
  return subclassed ? 0 : 1;
}
