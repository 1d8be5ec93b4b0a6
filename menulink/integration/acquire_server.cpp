#include "menulink/integration/acquire.h"
#include "menulink/integration/acquire_internal.h"
#include "menulink/integration/acquire_poll.h"
#include "menulink/registry/shared_data.h"

namespace {

uint32_t busyPollLimitMs = kDefaultBusyPollLimitMs;

int32_t IsBusy(void* context) { return static_cast<OcrClient*>(context)->IsAppBusy(); }
uint32_t Now() { return GetTickCount(); }

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
  bool idle = PollUntilNotBusy(IsBusy, c, Now, busyPollLimitMs);
  SetLaunchMarker(false);
  if (!idle) {
    c->Release();
    return ServerStart::NeverIdle;
  }
  *client = c;
  return ServerStart::Ready;
}
