// Cost of a message the library does not handle, sent to a window of a
// hooked process: with the library's hook and subclass, against an empty
// hook and against no hook. Prints ratios measured in one run.
#include <windows.h>

#include <cstdio>
#include <string>

#include "menulink/registry/internals.h"

namespace {

LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return m == WM_USER + 7 ? w + 1 : DefWindowProcA(h, m, w, l);
}

double Measure(HWND hwnd, int n) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        QueryPerformanceCounter(&a);
        for (int i = 0; i < n; ++i) SendMessageA(hwnd, WM_USER + 7, i, 0);
        QueryPerformanceCounter(&b);
        double t = double(b.QuadPart - a.QuadPart) / f.QuadPart;
        if (t < best) best = t;
    }
    return best;
}

}  // namespace

int main() {
    char path[MAX_PATH];
    std::string dir(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    dir = dir.substr(0, dir.find_last_of('\\') + 1);
    HMODULE lib = LoadLibraryA((dir + "menulink.dll").c_str());
    auto internals = lib ? reinterpret_cast<MenulinkInternalsProc>(GetProcAddress(lib, "MenulinkInternals")) : nullptr;
    auto hookProc = lib ? reinterpret_cast<HOOKPROC>(GetProcAddress(lib, "CallWndHook")) : nullptr;
    if (!internals || !hookProc) {
        std::printf("hookbench: menulink.dll not usable\n");
        return 1;
    }
    // The empty hook lives in a DLL too: a hook procedure in the exe, with
    // no module handle, takes another (slower) path through Wine.
    HMODULE emptyLib = LoadLibraryA((dir + "emptyhook.dll").c_str());
    auto emptyProc = emptyLib ? reinterpret_cast<HOOKPROC>(GetProcAddress(emptyLib, "EmptyHook")) : nullptr;
    if (!emptyProc) {
        std::printf("hookbench: emptyhook.dll not usable\n");
        return 1;
    }
    const MenulinkInternalsTable *t = internals();
    int32_t index = -1;
    t->findByModule("hookbench.exe", &index);
    if (index < 0) index = t->add(nullptr, "HOOKBENCH.EXE", "unknown");
    t->enable(index);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HookBench";
    RegisterClassA(&wc);
    HMENU bar = CreateMenu(), file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 1, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HWND hwnd = CreateWindowExA(0, "HookBench", "Bench", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, bar,
                                wc.hInstance, nullptr);
    const int n = 20000;
    DWORD thread = GetCurrentThreadId();

    double none = Measure(hwnd, n);
    HHOOK empty = SetWindowsHookExA(WH_CALLWNDPROC, emptyProc, emptyLib, thread);
    double emptyHook = Measure(hwnd, n);
    UnhookWindowsHookEx(empty);

    HHOOK ours = SetWindowsHookExA(WH_CALLWNDPROC, hookProc, lib, thread);
    // As the controller does: the library chains on through this handle.
    auto gtHook = reinterpret_cast<HHOOK(WINAPI *)(HHOOK)>(GetProcAddress(lib, "GTHook"));
    if (gtHook) gtHook(ours);
    SendMessageA(hwnd, WM_ACTIVATEAPP, TRUE, 0);  // the library subclasses the window
    bool subclassed = GetWindowLongPtrA(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(Proc);
    double library = Measure(hwnd, n);
    SendMessageA(hwnd, WM_CLOSE, 0, 0);  // releases the subclass
    UnhookWindowsHookEx(ours);
    t->disable(index);

    std::printf("hook bench (%d messages, best of 5)%s\n", n, subclassed ? "" : " [window NOT subclassed]");
    std::printf("  empty hook / no hook:           %.3f\n", emptyHook / none);
    std::printf("  library hook+subclass / empty:  %.3f\n", library / emptyHook);
    std::printf("  library hook+subclass / none:   %.3f\n", library / none);
    return subclassed ? 0 : 1;
}
