#include "menulink/integration/acquire.h"
#include "menulink/integration/acquire_codes.h"
#include "menulink/integration/acquire_internal.h"
#include "menulink/integration/error_messages.h"
#include "menulink/integration/string_ids.h"

#include <ole2.h>

namespace {

// Every way out after OleInitialize succeeded.
int32_t Leave() {
  OleUninitialize();
  return 0;
}

}  // namespace

int32_t AcquireTextSettings(HWND hwnd, int32_t) {
  SetAcquireBusy(1);
  // Most threads have no OLE of their own. A thread that has it only gets
  // S_FALSE, and the balanced uninitialise below leaves it as it was.
  HRESULT ole = OleInitialize(nullptr);
  if (ole != S_OK && ole != S_FALSE) {
    ShowErrorMessage(hwnd, IDS_ERR_COMMUNICATE);
    SetAcquireBusy(0);
    return 0;
  }

  OcrClient* client = nullptr;
  HRESULT hr = S_OK;
  if (StartIdleServer(&client, &hr) != ServerStart::Ready) {
    ShowErrorMessage(hwnd, IDS_ERR_COMMUNICATE);
    SetAcquireBusy(0);
    return Leave();
  }

  int32_t code = client->StartSession(static_cast<int32_t>(reinterpret_cast<INT_PTR>(hwnd)));
  int16_t version = 0;
  if (code == 0) code = client->GetEngineVersion(&version);
  if (code != 0) {
    client->EndSession();
    client->Release();
    if (!IsSilentSessionFailure(code)) ShowErrorMessage(hwnd, IDS_ERR_COMMUNICATE);
    SetAcquireBusy(0);
    return Leave();
  }

  code = client->OptionDialog(OptionDialogArgument(version));
  if (code != 0 && code != -1 && !IsQuietOptionDialogCode(code)) ShowErrorMessage(hwnd, IDS_ERR_OPTIONS);

  client->EndSession();
  client->Release();
  OleUninitialize();
  SetAcquireBusy(0);
  return 1;
}
