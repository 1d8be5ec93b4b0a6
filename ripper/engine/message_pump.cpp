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

// False for WM_QUIT, which is kept for RepostPendingQuit rather than lost.
bool Handle(MSG& m) {
  if (m.message == WM_QUIT) {
    g_quitPending = true;
    g_quitCode = static_cast<int>(m.wParam);
    return false;
  }
  Dispatch(m);
  return true;
}
}  // namespace

void SetPumpDialog(HWND dialog) { g_dialog = dialog; }

bool PumpPendingMessages() {
  if (g_quitPending) return false;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (!Handle(m)) return false;
  }
  return true;
}

bool WaitForFlag(const bool& flag) {
  if (flag) return true;
  if (!PumpPendingMessages()) return false;
  while (!flag) {
    // Under Wine every look into an empty queue is a server round trip, and
    // progress comes a message at a time: so wait first, then take one.
    // MWMO_INPUTAVAILABLE: wake also for input already seen but not removed.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) continue;
    if (!Handle(m)) return false;
    // What queued up behind the message that ended the wait is handled
    // before the caller goes on, as before.
    if (flag) return PumpPendingMessages();
  }
  return true;
}

bool QuitPending() { return g_quitPending; }

void RepostPendingQuit() {
  if (!g_quitPending) return;
  g_quitPending = false;
  PostQuitMessage(g_quitCode);
}
