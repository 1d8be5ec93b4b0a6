#include "menulink/integration/acquire.h"
#include "menulink/integration/acquire_internal.h"
#include "menulink/integration/acquire_poll.h"
#include "menulink/registry/shared_data.h"

namespace {

uint32_t busyPollLimitMs = kDefaultBusyPollLimitMs;

int32_t IsBusy(void* context) { return static_cast<OcrClient*>(context)->IsAppBusy(); }
uint32_t Now() { return GetTickCount(); }

// Waits between two questions to the server without holding up the
// application: messages other threads and processes send to this thread
// are answered, and its windows are repainted. Input is left queued, so
// that nothing the user does starts a second run meanwhile.
void Pause(uint32_t ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD waited = GetTickCount() - start;
    if (waited >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_SENDMESSAGE | QS_PAINT);
    MSG msg;
    // Sent messages are delivered inside PeekMessage itself. A window that
    // never validates itself would repaint for ever: a few rounds at most.
    for (int i = 0; i < 8 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i) DispatchMessageA(&msg);
  }
}

}  // namespace

void SetBusyPollLimit(uint32_t ms) { busyPollLimitMs = ms; }

void SetAcquireBusy(int32_t value) {
  if (processState) processState->acquireBusy = value;
}

void SetLaunchMarker(bool on) {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings", &key) != ERROR_SUCCESS) return;
  if (on)
    RegSetValueA(key, "glyphtap", REG_SZ, "glyphtap", 8);
  else
    RegDeleteKeyA(key, "glyphtap");
  RegCloseKey(key);
}

ServerStart StartIdleServer(OcrClient** client, HRESULT* hr) {
  *client = nullptr;
  SetLaunchMarker(true);
  OcrClient* c = nullptr;
  *hr = CreateOcrClient(&c);
  if (*hr != S_OK) {
    SetLaunchMarker(false);
    return ServerStart::CreateFailed;
  }
  bool idle = PollUntilNotBusy(IsBusy, c, Now, Pause, busyPollLimitMs, kBusyPollIntervalMs);
  SetLaunchMarker(false);
  if (!idle) {
    c->Release();
    return ServerStart::NeverIdle;
  }
  *client = c;
  return ServerStart::Ready;
}
