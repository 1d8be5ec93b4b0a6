// Subclassing of the served window: the record, its release, and the
// window procedure that keeps the two items in the File menu.

#include <cstring>

#include "menulink/integration/acquire.h"
#include "menulink/integration/hook.h"
#include "menulink/integration/menu_items.h"
#include "menulink/integration/subclass.h"
#include "menulink/registry/app_table.h"
#include "menulink/registry/error_messages.h"
#include "menulink/registry/shared_data.h"

SubclassRecord* currentSubclass = nullptr;

namespace {

HGLOBAL subclassMemory = nullptr;

// Windows released while another procedure had been installed over ours:
// ours stays in their chain, so it must keep passing their messages on to
// the procedure it replaced, and a later subclassing reuses that link. A
// list on the process heap, so that no live link is ever overwritten; a
// link goes when its window is destroyed.
struct ReleasedLink {
  HWND hwnd;
  WNDPROC oldWndProc;
  int32_t unicode;
  ReleasedLink* next;
};
ReleasedLink* releasedLinks = nullptr;

ReleasedLink* FindReleasedLink(HWND hwnd) {
  for (ReleasedLink* link = releasedLinks; link; link = link->next)
    if (link->hwnd == hwnd) return link;
  return nullptr;
}

void ForgetReleasedLink(HWND hwnd) {
  for (ReleasedLink** at = &releasedLinks; *at; at = &(*at)->next) {
    if ((*at)->hwnd == hwnd) {
      ReleasedLink* gone = *at;
      *at = gone->next;
      HeapFree(GetProcessHeap(), 0, gone);
      return;
    }
  }
}

// False when no link could be kept: the caller must then leave the window
// subclassed, since dropping the link would swallow its messages.
bool RememberReleasedLink(HWND hwnd, WNDPROC old, int32_t unicode) {
  ReleasedLink* link = FindReleasedLink(hwnd);
  if (!link) {
    link = static_cast<ReleasedLink*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ReleasedLink)));
    if (!link) return false;
    link->next = releasedLinks;
    releasedLinks = link;
  }
  link->hwnd = hwnd;
  link->oldWndProc = old;
  link->unicode = unicode;
  return true;
}

// Once our procedure has been in a window's chain it may be called until
// the process ends (another subclass may keep calling it after we let go),
// so the library must never be unloaded from this process: pinned at the
// first subclassing.
bool PinLibrary() {
  static bool pinned = false;
  if (pinned) return true;
  HMODULE self = nullptr;
  pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCSTR>(&currentSubclass), &self) != FALSE;
  return pinned;
}

LRESULT PassOn(WNDPROC old, int32_t unicode, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!old) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return unicode ? CallWindowProcW(old, hwnd, msg, wParam, lParam)
                 : CallWindowProcA(old, hwnd, msg, wParam, lParam);
}

LONG_PTR GetProc(HWND hwnd, bool unicode) {
  return unicode ? GetWindowLongPtrW(hwnd, GWLP_WNDPROC) : GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
}

LONG_PTR SetProc(HWND hwnd, bool unicode, LONG_PTR proc) {
  SetLastError(0);
  return unicode ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc) : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc);
}

void RemoveItems(SubclassRecord* rec) {
  SetAcquireItems(rec->fileMenu, rec->acquireId, rec->settingsId, false);
}

void FreeRecord() {
  currentSubclass = nullptr;
  if (subclassMemory) {
    GlobalUnlock(subclassMemory);
    GlobalFree(subclassMemory);
    subclassMemory = nullptr;
  }
}

// One subclassed window fewer; the last one while the feature is off tells
// the controller that the hook may go.
void CountOut() {
  if (!sharedState) return;
  // The decrement that reaches 0 happens in one process only, whichever
  // width it has: one WM_CLOSE in all.
  int32_t remaining = HookedWindowCount().fetch_sub(1) - 1;
  if (FeatureDisabled() && remaining == 0) {
    if (HWND controller = FindWindowA(kControllerClass, nullptr)) PostMessageA(controller, WM_CLOSE, 0, 0);
  }
}

bool IsWinword(const SubclassRecord* rec) { return lstrcmpiA(rec->module, "WINWORD.EXE") == 0; }

LRESULT OnInitMenuPopup(SubclassRecord* rec, HWND hwnd, WPARAM wParam, LPARAM lParam) {
  // Only the allocations below read the map; clearing it here rather than
  // for every message keeps unhandled messages cheap.
  ClearCommandIdMap();
  WNDPROC old = rec->oldWndProc;
  int32_t unicode = rec->unicode;
  LRESULT result = PassOn(old, unicode, hwnd, WM_INITMENUPOPUP, wParam, lParam);
  // The application may have released us while handling it.
  if (currentSubclass != rec) return result;
  auto popup = reinterpret_cast<HMENU>(wParam);
  if (!popup) return result;

  HMENU menuBar = GetMenu(hwnd);
  if (IsWinword(rec)) {
    if (popup == FindFileMenu(menuBar, rec->menuLanguage)) RemoveItems(rec);
  } else if (popup == rec->fileMenu) {
    RemoveItems(rec);
  }
  rec->fileMenu = FindFileMenu(menuBar, rec->menuLanguage);
  if (rec->fileMenu && popup == rec->fileMenu) {
    rec->itemsInserted = 1;
    rec->acquireId = AllocateCommandId(menuBar);
    if (rec->acquireId != 0) {
      rec->settingsId = AllocateCommandId(menuBar);
      // Without a second identifier the settings item could never be
      // taken out again.
      if (rec->settingsId != 0) SetAcquireItems(popup, rec->acquireId, rec->settingsId, true);
    }
  }
  return result;
}

// Word's own Close command closes the document that the items belong to.
void RemoveOnWinwordClose(SubclassRecord* rec, HWND hwnd, UINT id) {
  char closeName[64];
  if (LoadLocalString(IDS_CLOSE, rec->menuLanguage, closeName, sizeof closeName) <= 0) return;
  char text[64] = {};
  if (GetMenuStringA(GetMenu(hwnd), id, text, sizeof text, MF_BYCOMMAND) <= 0) return;
  char normalised[64];
  NormaliseCommandText(normalised, sizeof normalised, text);
  if (lstrcmpiA(normalised, closeName) == 0) RemoveItems(rec);
}

}  // namespace

int32_t SetAcquireItems(HMENU popup, uint32_t acquireId, uint32_t settingsId, bool insert) {
  LanguageIndex language = kLangEnglish;
  if (currentSubclass)
    language = currentSubclass->menuLanguage;
  else if (processState)
    language = processState->menuLanguage;
  return SetAcquireItemsInLanguage(popup, acquireId, settingsId, insert, language);
}

void DetectMenuLanguage(HMENU menuBar) {
  if (processState) processState->menuLanguage = DetectMenuLanguageOf(menuBar, processState->menuLanguage);
}

void SubclassWindow(HWND hwnd, const char* moduleName) {
  if (!hwnd || !IsWindow(hwnd) || currentSubclass) return;
  if (!PinLibrary()) return;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(SubclassRecord));
  if (!memory) return;
  auto* rec = static_cast<SubclassRecord*>(GlobalLock(memory));
  if (!rec) {
    GlobalFree(memory);
    return;
  }
  bool unicode = IsWindowUnicode(hwnd) != FALSE;
  const auto ours = reinterpret_cast<LONG_PTR>(SubclassWndProc);
  rec->unicode = unicode;
  rec->itemsInserted = 0;
  rec->hwnd = hwnd;
  rec->menuLanguage = processState ? processState->menuLanguage : kLangEnglish;

  if (ReleasedLink* link = FindReleasedLink(hwnd)) {
    // Our procedure is still in the window's chain: take up the link
    // again instead of installing a second copy that would call itself.
    rec->oldWndProc = link->oldWndProc;
    rec->unicode = link->unicode;
    ForgetReleasedLink(hwnd);
  } else {
    rec->oldWndProc = reinterpret_cast<WNDPROC>(GetProc(hwnd, unicode));
    if (!rec->oldWndProc || SetProc(hwnd, unicode, ours) == 0) {
      // Nothing installed: leave the window exactly as it was.
      GlobalUnlock(memory);
      GlobalFree(memory);
      return;
    }
  }
  subclassMemory = memory;
  currentSubclass = rec;

  ModuleNameFromPath(rec->module, sizeof rec->module, moduleName);
  int32_t index = -1;
  if (!AppTableFindByModule(rec->module, &index)) ReportMemoryConflict();
  // A failed lookup leaves -1: the record is then treated as not enabled
  // and released at the next message.
  rec->appIndex = index;
  if (index >= 0 && !AppTableSetRunning(index)) ReportMemoryConflict();
  if (sharedState) HookedWindowCount().fetch_add(1);
}

void UnsubclassWindow(HWND hwnd, bool closing) {
  if (!hwnd || !IsWindow(hwnd)) return;
  bool released = false;
  if (SubclassRecord* rec = currentSubclass) {
    const auto ours = reinterpret_cast<LONG_PTR>(SubclassWndProc);
    if (GetProc(hwnd, rec->unicode) == ours)
      SetProc(hwnd, rec->unicode, reinterpret_cast<LONG_PTR>(rec->oldWndProc));
    else if (!RememberReleasedLink(hwnd, rec->oldWndProc, rec->unicode))
      return;  // no way to keep passing its messages on: stays subclassed
    FreeRecord();
    released = true;
  }
  char moduleName[kModuleSize * 16];
  WindowModuleName(hwnd, moduleName, sizeof moduleName);
  int32_t index = -1;
  if (!AppTableFindByModule(moduleName, &index)) {
    ReportMemoryConflict();
  } else if (index != -1 && !AppTableClearRunning(index)) {
    ReportMemoryConflict();
  }
  if (closing && processState) processState->stopHooking = 1;
  // Only a window that was counted in is counted out, so the count cannot
  // go below the number of windows really subclassed.
  if (released) CountOut();
}

void ReleaseAtProcessExit() {
  SubclassRecord* rec = currentSubclass;
  // Only a record of SubclassWindow's was counted in.
  if (!rec || !subclassMemory) return;
  // The window goes with the process without any message of its own.
  int32_t index = rec->appIndex;
  FreeRecord();
  if (index >= 0) AppTableClearRunning(index);
  CountOut();
}

LRESULT CALLBACK SubclassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SubclassRecord* rec = currentSubclass;
  if (!rec || rec->hwnd != hwnd) {
    if (ReleasedLink* link = FindReleasedLink(hwnd)) {
      WNDPROC linkOld = link->oldWndProc;
      int32_t linkUnicode = link->unicode;
      LRESULT result = PassOn(linkOld, linkUnicode, hwnd, msg, wParam, lParam);
      if (msg == WM_NCDESTROY) ForgetReleasedLink(hwnd);
      return result;
    }
    return 0;
  }
  WNDPROC old = rec->oldWndProc;
  int32_t unicode = rec->unicode;

  if (processState && !processState->acquireBusy &&
      (FeatureDisabled() || !AppTableIsEnabled(rec->appIndex))) {
    RemoveItems(rec);
    UnsubclassWindow(hwnd, false);
    return PassOn(old, unicode, hwnd, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_MENUSELECT: {
      UINT item = LOWORD(wParam), flags = HIWORD(wParam);
      if (rec->itemsInserted == 1 && flags == 0xFFFF && lParam == 0) {
        rec->itemsInserted = 0;
        RemoveItems(rec);
      } else if (rec->itemsInserted == 1 && !(flags & MF_POPUP) && item != 0 &&
                 (item == rec->acquireId || item == rec->settingsId)) {
        // The menu posts the chosen item's WM_COMMAND after it has
        // closed, when the items are gone again: remember which of ours
        // was the last one highlighted.
        rec->chosenId = item;
        return 0;
      } else if (flags != 0xFFFF) {
        rec->chosenId = 0;
      }
      break;
    }
    case WM_INITMENU:
      rec->chosenId = 0;
      break;
    case WM_INITMENUPOPUP:
      return OnInitMenuPopup(rec, hwnd, wParam, lParam);
    case WM_COMMAND: {
      UINT id = LOWORD(wParam);
      if ((id == 490 || id == 0xF060) && IsWinword(rec)) RemoveOnWinwordClose(rec, hwnd, id);
      // Only the choice of one of our items is ours: accelerators (high
      // word 1), controls (lParam set) and any other use of the same
      // number belong to the application.
      if (id == 0 || HIWORD(wParam) != 0 || lParam != 0 || id != rec->chosenId) break;
      rec->chosenId = 0;
      if (id == rec->acquireId) {
        AcquireText(hwnd, rec->appIndex);
        return 0;
      }
      if (id == rec->settingsId) {
        AcquireTextSettings(hwnd, rec->appIndex);
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      RemoveItems(rec);
      UnsubclassWindow(hwnd, true);
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        RemoveItems(rec);
        UnsubclassWindow(hwnd, true);
      }
      break;
    case WM_NCDESTROY: {
      // A window destroyed without WM_CLOSE (DestroyWindow from a menu
      // command, the end of its thread) is released here, once.
      UnsubclassWindow(hwnd, true);
      LRESULT result = PassOn(old, unicode, hwnd, msg, wParam, lParam);
      ForgetReleasedLink(hwnd);
      return result;
    }
    default:
      break;
  }
  return PassOn(old, unicode, hwnd, msg, wParam, lParam);
}
