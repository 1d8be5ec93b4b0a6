#include "ripper/engine/message_pump.h"

#include <windows.h>

namespace {
HWND g_dialog = nullptr;
bool g_quitPending = false;
int g_quitCode = 0;

// One message: the dialog set above gets its keyboard.
void Dispatch(MSG& m) {
  if (g_dialog && IsDialogMessageW(g_dialog, &m)) return;
  TranslateMessage(&m);
  DispatchMessageW(&m);
}
}  // namespace

void SetPumpDialog(HWND dialog) { g_dialog = dialog; }

bool PumpPendingMessages() {
  if (g_quitPending) return false;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      g_quitPending = true;
      g_quitCode = static_cast<int>(m.wParam);
      return false;
    }
    Dispatch(m);
  }
  return true;
}

bool WaitForFlag(const bool& flag) {
  while (!flag) {
    if (!PumpPendingMessages()) return false;
    if (flag) break;
    // MWMO_INPUTAVAILABLE: wake also for input already seen but not removed.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return true;
}

bool QuitPending() { return g_quitPending; }

void RepostPendingQuit() {
  if (!g_quitPending) return;
  g_quitPending = false;
  PostQuitMessage(g_quitCode);
}
