// What the library costs an application while something else is slow:
//  1. a window created while another thread holds the shared table's mutex,
//     in an application that is not registered: time per CreateWindowEx
//     with the library's hook, against the same with the table free and
//     against no hook (all in this run);
//  2. an "Acquire Text..." run waiting for a server that stays busy: CPU
//     time of the application's thread as a share of the wait, against a
//     thread that spins for the same time, and how often the server is
//     asked.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/proc_address.h"
#include "tests/win/menulink_ocr/acquire_bed.h"

using namespace acquirebed;

namespace {

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// Microseconds per top-level window with a menu bar, created, activated
// and destroyed: the median over n, and the longest in *longest.
double CreateCost(int n, double* longest) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  std::vector<double> each;
  for (int i = 0; i < n; ++i) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HWND w = CreateWindowExA(0, "WaitBench", "Bench", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, bar,
                             GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, WM_ACTIVATEAPP, TRUE, 0);
    DestroyWindow(w);
    QueryPerformanceCounter(&b);
    each.push_back(double(b.QuadPart - a.QuadPart) * 1e6 / f.QuadPart);
  }
  std::sort(each.begin(), each.end());
  *longest = std::max(*longest, each.back());
  return each[each.size() / 2];
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Holds the table's mutex from its start until it is told to stop, as
// another process that is slow inside the table would.
struct Holder {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
  Holder() {
    thread = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    WaitForSingleObject(ready, INFINITE);
  }
  ~Holder() {
    SetEvent(done);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(ready);
    CloseHandle(done);
  }
  static DWORD WINAPI Main(void* self) {
    auto* h = static_cast<Holder*>(self);
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "lxdirect_mutex");
    if (mutex) WaitForSingleObject(mutex, INFINITE);
    SetEvent(h->ready);
    WaitForSingleObject(h->done, INFINITE);
    if (mutex) {
      ReleaseMutex(mutex);
      CloseHandle(mutex);
    }
    return 0;
  }
};

double Seconds(const FILETIME& kernel, const FILETIME& user) {
  auto value = [](const FILETIME& t) {
    return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7;
  };
  return value(kernel) + value(user);
}

double ThreadCpu() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  return Seconds(kernel, user);
}

}  // namespace

int main() {
  if (!Registry() || !Runs()) {
    std::printf("waitbench: testlib\\menulink.dll not usable\n");
    return 1;
  }
  HMODULE lib = GetModuleHandleA("menulink.dll");
  auto hookProc = ProcAddress<HOOKPROC>(lib, "CallWndHook");
  auto gtHook = ProcAddress<HHOOK(WINAPI*)(HHOOK)>(lib, "GTHook");
  if (!hookProc || !gtHook) {
    std::printf("waitbench: the hook exports are missing\n");
    return 1;
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "WaitBench";
  RegisterClassA(&wc);
  int32_t self = -1;
  Registry()->findByModule("waitbench.exe", &self);
  if (self >= 0) Registry()->disable(self);  // this program must not be registered

  // 1. Window creation while the table is held elsewhere. The three
  // set-ups take turns within every round.
  const int rounds = 7, n = 30;
  std::vector<double> none, tableFree, held;
  double longestNone = 0, longestFree = 0, longestHeld = 0;
  for (int r = 0; r < rounds; ++r) {
    none.push_back(CreateCost(n, &longestNone));
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, lib, GetCurrentThreadId());
    gtHook(hook);
    tableFree.push_back(CreateCost(n, &longestFree));
    {
      Holder holder;
      held.push_back(CreateCost(n, &longestHeld));
    }
    UnhookWindowsHookEx(hook);
  }
  double n0 = Median(none), f0 = Median(tableFree), h0 = Median(held);
  std::printf("window creation in an application that is not registered (median of %d rounds of %d)\n",
              rounds, n);
  std::printf(
      "  per window: no hook %.0f us, library hook %.0f us, library hook with the table held %.0f us\n", n0,
      f0, h0);
  std::printf(
      "  longest: no hook %.0f us, table free %.0f us, table held %.0f us (a wait for the table: 5000000)\n",
      longestNone, longestFree, longestHeld);
  std::printf("  table held / table free:        %.3f\n", h0 / f0);
  std::printf("  table held / no hook:           %.3f\n", h0 / n0);

  // 2. A run waiting for a server that never becomes idle.
  if (RunServerCommand(L"/regserver") != 0) {
    std::printf("waitbench: the stand-in server does not register\n");
    return 1;
  }
  const uint32_t waitMs = 3000;
  WriteScript("IsAppBusy=1\n");
  ClearServerLog();
  Runs()->setBusyPollLimit(waitMs);
  Editor* editor = MakeEditor("WaitBenchEditor", "standard");
  SubclassFor(editor, 0);
  DWORD start = GetTickCount();
  double cpu0 = ThreadCpu();
  Runs()->acquireText(editor->hwnd, 0);
  double runCpu = ThreadCpu() - cpu0;
  double runWall = (GetTickCount() - start) / 1000.0;
  ClearSubclass();
  DestroyEditor(editor);
  int busyCalls = 0;
  ServerCalls(&busyCalls);

  // The same measurement of a thread that keeps a core busy.
  start = GetTickCount();
  cpu0 = ThreadCpu();
  volatile unsigned long long spin = 0;  // kept by volatile from being optimised away
  while (GetTickCount() - start < 1000) spin = spin + 1;
  double spinCpu = ThreadCpu() - cpu0;
  double spinWall = (GetTickCount() - start) / 1000.0;

  double share = runCpu / runWall, spinShare = spinCpu / spinWall;
  std::printf("application thread while a run waits %.1f s for a busy server\n", runWall);
  std::printf("  CPU: %.3f s of %.1f s; a spinning thread: %.3f s of %.1f s\n", runCpu, runWall, spinCpu,
              spinWall);
  std::printf("  share of a core (run / spinning thread): %.4f  (aim: below 0.02)\n", share / spinShare);
  std::printf("  server asked %d times, %.1f a second\n", busyCalls, busyCalls / runWall);
  return 0;
}
