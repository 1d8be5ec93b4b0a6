// The acquire runs: starting the OCR server, the text and settings runs,
// and the paste into the application.

#include "menulink/integration/acquire.h"

#include <ole2.h>

#include <cstring>

#include "menulink/integration/acquire_rules.h"
#include "menulink/integration/menu_items.h"
#include "menulink/integration/ocr_client.h"
#include "menulink/integration/subclass.h"
#include "menulink/registry/error_messages.h"
#include "menulink/registry/shared_data.h"
#include "menulink/registry/string_ids.h"

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
    for (int i = 0; i < 8 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i)
      DispatchMessageA(&msg);
  }
}

void SetAcquireBusy(int32_t value) {
  if (processState) processState->acquireBusy = value;
}

enum class ServerStart { Ready, CreateFailed, NeverIdle };

}  // namespace

void SetBusyPollLimit(uint32_t ms) { busyPollLimitMs = ms; }

void SetLaunchMarker(bool on) {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings", &key) != ERROR_SUCCESS)
    return;
  if (on)
    RegSetValueA(key, "glyphtap", REG_SZ, "glyphtap", 8);
  else
    RegDeleteKeyA(key, "glyphtap");
  RegCloseKey(key);
}

namespace {

// Puts up the launch marker, creates the client and waits until the server
// is idle, then takes the marker down. Ready: *client is set. CreateFailed:
// *hr holds the HRESULT. NeverIdle: the client was released again.
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
    return LeaveAfterFailure(hwnd, client, false, IsSilentSessionFailure(code) ? 0 : IDS_ERR_COMMUNICATE,
                             true);

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

namespace {

// Word processors whose frame stays up without a document: pasting there
// would go nowhere, so their File > Close must be enabled.
bool HasNoDocumentTest(const char* windowClass) {
  return strcmp(windowClass, "AmiProWndA") == 0 || strcmp(windowClass, "VWClass500") == 0 ||
         strcmp(windowClass, "FrameFamily4.0MdiFrame") == 0;
}

bool DocumentIsOpen(HWND w, LanguageIndex language) {
  char fileName[64], closeName[64];
  LoadLocalString(IDS_FILE, language, fileName, sizeof fileName);
  LoadLocalString(IDS_CLOSE, language, closeName, sizeof closeName);
  int32_t id = -1, position = -1;
  HMENU file = FindMenuItemExact(GetMenu(w), fileName, &id, &position);
  if (!file) return false;
  int32_t closeId = -1;
  if (!FindMenuItemExact(file, closeName, &closeId, &position)) return false;
  UINT state = GetMenuState(file, static_cast<UINT>(closeId), MF_BYCOMMAND);
  return (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

}  // namespace

int32_t PasteIntoApplication() {
  // The window may have been released while the server was working.
  if (!currentSubclass) return 0;
  HWND w = currentSubclass->hwnd;
  LanguageIndex language = currentSubclass->menuLanguage;

  BringWindowToTop(w);
  bool ok = true;
  char windowClass[128] = "";
  GetClassNameA(w, windowClass, sizeof windowClass);
  if (HasNoDocumentTest(windowClass)) ok = DocumentIsOpen(w, language);

  int32_t command = -1;
  bool editFound = false;
  if (ok) {
    char editName[64], pasteName[64];
    LoadLocalString(IDS_EDIT, language, editName, sizeof editName);
    LoadLocalString(IDS_PASTE, language, pasteName, sizeof pasteName);
    int32_t editPosition = 0;
    HMENU edit = FindMenuItemExact(GetMenu(w), editName, &command, &editPosition);
    if (!edit) {
      ok = false;
    } else {
      editFound = true;
      // Let the application bring its Edit menu up to date first.
      SendMessageA(w, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(editPosition, 0));
      if (command == -1) {
        int32_t pastePosition = 0;
        FindMenuItemExact(edit, pasteName, &command, &pastePosition);
      }
    }
  }

  if (ok && editFound && command != -1) {
    // Posted, so that the paste runs after the command that started the run.
    PostMessageA(w, WM_COMMAND, static_cast<WPARAM>(static_cast<uint32_t>(command)), 0);
    return 0;
  }

  char text[256], caption[64];
  if (LoadLocalString(IDS_NO_DOCUMENT, language, text, sizeof text) > 0 &&
      LoadLocalString(IDS_GLYPHTAP, language, caption, sizeof caption) > 0)
    MessageBoxA(w, text, caption, MB_OK | MB_SYSTEMMODAL);
  return 0;
}
