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

#include <cstdio>
#include <string>

#include "tests/win/menulink_ocr/acquire_bed.h"

using namespace acquirebed;

namespace {

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// Microseconds per top-level window with a menu bar, created and destroyed.
double CreateCost(int n) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < n; ++i) {
        HMENU bar = CreateMenu(), file = CreatePopupMenu();
        AppendMenuA(file, MF_STRING, 1, "E&xit");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
        HWND w = CreateWindowExA(0, "WaitBench", "Bench", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, bar,
                                 GetModuleHandleA(nullptr), nullptr);
        SendMessageA(w, WM_ACTIVATEAPP, TRUE, 0);
        DestroyWindow(w);
    }
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) * 1e6 / f.QuadPart / n;
}

struct Holder {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    static DWORD WINAPI Main(void *self) {
        auto *h = static_cast<Holder *>(self);
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

double Seconds(const FILETIME &kernel, const FILETIME &user) {
    auto value = [](const FILETIME &t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
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
    auto hookProc = reinterpret_cast<HOOKPROC>(GetProcAddress(lib, "CallWndHook"));
    auto gtHook = reinterpret_cast<HHOOK(WINAPI *)(HHOOK)>(GetProcAddress(lib, "GTHook"));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "WaitBench";
    RegisterClassA(&wc);
    int32_t self = -1;
    Registry()->findByModule("waitbench.exe", &self);
    if (self >= 0) Registry()->disable(self);  // this program must not be registered

    // 1. Window creation while the table is held elsewhere.
    const int n = 200;
    double none = CreateCost(n);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, lib, GetCurrentThreadId());
    gtHook(hook);
    double tableFree = CreateCost(n);
    Holder holder;
    HANDLE thread = CreateThread(nullptr, 0, Holder::Main, &holder, 0, nullptr);
    WaitForSingleObject(holder.ready, INFINITE);
    double held = CreateCost(n);
    SetEvent(holder.done);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    UnhookWindowsHookEx(hook);
    std::printf("window creation in an application that is not registered (%d windows)\n", n);
    std::printf("  per window: no hook %.1f us, library hook %.1f us, library hook with the table held %.1f us\n", none,
                tableFree, held);
    std::printf("  table held / table free:        %.3f\n", held / tableFree);
    std::printf("  table held / no hook:           %.3f\n", held / none);

    // 2. A run waiting for a server that never becomes idle.
    if (RunServerCommand(L"/regserver") != 0) {
        std::printf("waitbench: the stand-in server does not register\n");
        return 1;
    }
    const uint32_t waitMs = 3000;
    WriteScript("IsAppBusy=1\n");
    ClearServerLog();
    Runs()->setBusyPollLimit(waitMs);
    Editor *editor = MakeEditor("WaitBenchEditor", "standard");
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
    std::printf("  CPU: %.3f s of %.1f s; a spinning thread: %.3f s of %.1f s\n", runCpu, runWall, spinCpu, spinWall);
    std::printf("  share of a core (run / spinning thread): %.4f  (aim: below 0.02)\n", share / spinShare);
    std::printf("  server asked %d times, %.1f a second\n", busyCalls, busyCalls / runWall);
    return 0;
}
