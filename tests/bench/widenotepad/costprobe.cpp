// Injected into the notepad under test as a WH_GETMESSAGE hook on its UI
// thread: for the posted message "wq.CostProbe.Measure" it sends its own
// window lParam messages that notepad does not handle, timed from inside
// the process (a send from another process would mostly time the trip
// between processes), and answers the seconds per message to the window
// in wParam as WM_COPYDATA (a double).
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK CostProbeHook(int code, WPARAM wp, LPARAM lp) {
  static const UINT measure = RegisterWindowMessageA("wq.CostProbe.Measure");
  auto* m = reinterpret_cast<MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && m && measure && m->message == measure) {
    HWND reply = reinterpret_cast<HWND>(m->wParam);
    const LONG n = static_cast<LONG>(m->lParam) > 0 ? static_cast<LONG>(m->lParam) : 1;
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (LONG i = 0; i < n; ++i) SendMessageA(m->hwnd, WM_USER + 0x3F7, i, 0);
    QueryPerformanceCounter(&b);
    double perMessage = double(b.QuadPart - a.QuadPart) / double(f.QuadPart) / n;
    COPYDATASTRUCT cds{};
    cds.dwData = 0x57B;
    cds.cbData = sizeof perMessage;
    cds.lpData = &perMessage;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(reply, WM_COPYDATA, reinterpret_cast<WPARAM>(m->hwnd), reinterpret_cast<LPARAM>(&cds),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    m->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
