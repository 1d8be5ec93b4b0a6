#include "menulink/integration/acquire.h"
#include "menulink/integration/error_messages.h"
#include "menulink/integration/menu_items.h"
#include "menulink/integration/string_ids.h"
#include "menulink/integration/subclass.h"

#include <cstring>

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
