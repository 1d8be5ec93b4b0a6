#include "ripper/engine/ui_dispatch.h"

#include <windows.h>

#include <atomic>

namespace {

constexpr UINT kRunMessage = WM_APP + 1;
constexpr wchar_t kClassName[] = L"wavequill.UiDispatch";

std::atomic<HWND> g_window{nullptr};
DWORD g_uiThread = 0;

using Work = std::function<void()>;

LRESULT CALLBACK DispatchProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunMessage) {
    Work* work = reinterpret_cast<Work*>(lp);
    if (work) {
      (*work)();
      delete work;
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void DropQueued(HWND hwnd) {
  MSG m;
  while (PeekMessageW(&m, hwnd, kRunMessage, kRunMessage, PM_REMOVE)) {
    delete reinterpret_cast<Work*>(m.lParam);
  }
}

}  // namespace

bool UiDispatchInit() {
  if (g_window.load()) return true;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DispatchProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);  // fails harmlessly when already registered
  HWND hwnd =
      CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return false;
  g_uiThread = GetCurrentThreadId();
  g_window.store(hwnd);
  return true;
}

void UiDispatchShutdown() {
  HWND hwnd = g_window.exchange(nullptr);
  if (!hwnd) return;
  DropQueued(hwnd);
  DestroyWindow(hwnd);
  g_uiThread = 0;
}

bool UiPost(std::function<void()> fn) {
  HWND hwnd = g_window.load();
  if (!hwnd) return false;
  auto* work = new Work(std::move(fn));
  if (!PostMessageW(hwnd, kRunMessage, 0, reinterpret_cast<LPARAM>(work))) {
    delete work;
    return false;
  }
  return true;
}

bool OnUiThread() { return g_uiThread != 0 && GetCurrentThreadId() == g_uiThread; }
