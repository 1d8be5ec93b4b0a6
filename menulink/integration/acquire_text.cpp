#include "menulink/integration/acquire.h"
#include "menulink/integration/acquire_codes.h"
#include "menulink/integration/acquire_internal.h"
#include "menulink/integration/error_messages.h"
#include "menulink/integration/string_ids.h"

#include <ole2.h>

namespace {

// Ends a run after a failed step: the server is told to drop the document
// where the step had one, the session is closed, the client released, and
// then the message (0 for none) is shown.
int32_t LeaveAfterFailure(HWND hwnd, OcrClient* client, bool reopenDocument, int32_t messageId,
                          bool oleInitialised) {
  if (reopenDocument) client->OpenDocument("");
  client->EndSession();
  client->Release();
  if (messageId) ShowErrorMessage(hwnd, messageId);
  if (oleInitialised) OleUninitialize();
  SetAcquireBusy(0);
  return -1;
}

}  // namespace

int32_t AcquireText(HWND hwnd, int32_t appIndex) {
  SetAcquireBusy(1);
  HRESULT hr = OleInitialize(nullptr);
  if (hr != S_OK && hr != S_FALSE) {
    SetAcquireBusy(0);
    ShowErrorMessage(hwnd, IDS_ERR_COMMUNICATE);
    return hr;
  }

  OcrClient* client = nullptr;
  switch (StartIdleServer(&client, &hr)) {
    case ServerStart::CreateFailed:
      OleUninitialize();
      SetAcquireBusy(0);
      ShowErrorMessage(hwnd, IDS_ERR_COMMUNICATE);
      return hr;
    case ServerStart::NeverIdle:
      ShowErrorMessage(hwnd, IDS_ERR_COMMUNICATE);
      OleUninitialize();
      SetAcquireBusy(0);
      return -1;
    case ServerStart::Ready:
      break;
  }

  // The server takes the handle as a 32-bit integer; window handles fit.
  int32_t code = client->StartSession(static_cast<int32_t>(reinterpret_cast<INT_PTR>(hwnd)));
  if (code != 0)
    return LeaveAfterFailure(hwnd, client, false, IsSilentSessionFailure(code) ? 0 : IDS_ERR_COMMUNICATE, true);

  client->SaveDocument("");
  BringWindowToTop(hwnd);

  code = client->LoadImage();
  if (code != 0)
    return LeaveAfterFailure(hwnd, client, true, IsQuietLoadImageCode(code) ? 0 : IDS_ERR_LOAD_IMAGE, true);

  UpdateWindow(hwnd);
  code = client->ZoneImage(-1);
  if (code != 0) return LeaveAfterFailure(hwnd, client, true, IsQuietStepCode(code) ? 0 : IDS_ERR_ZONE, true);

  UpdateWindow(hwnd);
  code = client->ProcessImages();
  if (code != 0) return LeaveAfterFailure(hwnd, client, true, IsQuietStepCode(code) ? 0 : IDS_ERR_OCR, true);

  UpdateWindow(hwnd);
  code = client->CheckRecognition(-1);
  if (code != 0 && code != -1 && !IsQuietCode(code)) ShowErrorMessage(hwnd, IDS_ERR_CHECK);

  UpdateWindow(hwnd);
  bool paste = true;
  code = client->SaveToClipBoard();
  if (code != 0 && code != -1 && !IsQuietCode(code)) {
    if (IsNoPasteCode(code))
      paste = false;
    else
      ShowErrorMessage(hwnd, IDS_ERR_TRANSFER);
  }

  client->OpenDocument("");
  client->EndSession();
  client->Release();
  OleUninitialize();
  SetForegroundWindow(hwnd);
  if (paste) PasteIntoApplication();
  SetAcquireBusy(0);
  return 0;
}
