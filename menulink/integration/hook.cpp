// The exported hook procedure and the test of which windows get served.

#include <cstring>

#include "menulink/integration/hook.h"
#include "menulink/integration/listing_answer.h"
#include "menulink/integration/menu_items.h"
#include "menulink/integration/subclass.h"
#include "menulink/integration/wide_host_folder.h"
#include "menulink/registry/app_table.h"
#include "menulink/registry/error_messages.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/running_apps.h"
#include "menulink/registry/shared_data.h"

namespace {

constexpr DWORD kModulePathSize = 256;

bool IsUnknownText(const char* text) { return text[0] == '\0' || lstrcmpiA(text, "unknown") == 0; }

// The Word Pro release whose FileVersion begins "97" is left alone.
bool IsExcludedWordPro(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return false;
  bool excluded = false;
  if (void* block = GlobalLock(memory)) {
    char* value = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(path, 0, size, block) &&
        VerQueryValueA(block, "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&value),
                       &length) &&
        value && length >= 2)
      excluded = IsWordPro97Version(value);
    GlobalUnlock(memory);
  }
  GlobalFree(memory);
  return excluded;
}

bool IsOwnProcessWindow(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid == GetCurrentProcessId();
}

// A window whose menu cannot be read from another process (Wine keeps
// menus in their own process) is asked to look at it itself: the hook of
// its width answers the registered message in its thread and leaves the
// answer in a property of the window before the send returns.
constexpr char kListingAskMessage[] = "GlyphtapListingAsk";
constexpr char kListingAnswerProp[] = "GlyphtapListingAnswer";

void AnswerListing(HWND hwnd, uint32_t question) {
  bool qualifies = FindPasteMenuLanguage(hwnd) != 0;
  int32_t language = processState ? processState->menuLanguage : kLangEnglish;
  uint32_t answer = EncodeListingAnswer(question, qualifies, language);
  SetPropA(hwnd, kListingAnswerProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(answer)));
}

// 0 when the process gave no answer (not hooked, hung, another question's).
int32_t AskOwningProcess(HWND hwnd) {
  static const UINT ask = RegisterWindowMessageA(kListingAskMessage);
  static LONG asked = 0;
  if (!ask) return 0;
  uint32_t question =
      ListingQuestionNumber((GetCurrentProcessId() << 12) ^ static_cast<uint32_t>(InterlockedIncrement(&asked)));
  DWORD_PTR ignored = 0;
  if (!SendMessageTimeoutA(hwnd, ask, question, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, kPeerReplyMs, &ignored))
    return 0;
  auto answer = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(GetPropA(hwnd, kListingAnswerProp)));
  bool qualifies = false;
  int32_t language = kLangEnglish;
  if (!DecodeListingAnswer(answer, question, &qualifies, &language) || !qualifies) return 0;
  if (processState) processState->menuLanguage = language;
  return 1;
}

}  // namespace

void WindowModulePath(HWND hwnd, char* path, DWORD size) {
  if (size == 0) return;
  path[0] = '\0';
  auto instance = reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
  DWORD n = GetModuleFileNameA(instance, path, size);
  if (n == 0 || n >= size) path[n == 0 ? 0 : size - 1] = '\0';
}

void WindowModuleName(HWND hwnd, char* name, DWORD size) {
  char path[kModulePathSize];
  WindowModulePath(hwnd, path, sizeof path);
  ModuleNameFromPath(name, size, path);
}

extern "C" LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && lParam) {
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // A call for a window of another process (Windows runs the other
    // width's hook calls on the installer's thread) is passed on: read
    // from here, that window's module handle would name a module of this
    // process, and its window procedure cannot be replaced from here.
    static const UINT checkMessage = RegisterWindowMessageA(kWideHostCheckMessage);
    const bool look = cwp->message == WM_CREATE || cwp->message == WM_ACTIVATEAPP ||
                      (checkMessage && cwp->message == checkMessage);
    if (cwp->hwnd && look && !GetParent(cwp->hwnd) && IsOwnProcessWindow(cwp->hwnd))
      CheckHookedWindow(cwp->hwnd);
    static const UINT askMessage = RegisterWindowMessageA(kListingAskMessage);
    if (askMessage && cwp->message == askMessage && cwp->hwnd && !GetParent(cwp->hwnd) &&
        IsOwnProcessWindow(cwp->hwnd))
      AnswerListing(cwp->hwnd, static_cast<uint32_t>(cwp->wParam));
  }
  return CallNextHookEx(sharedData.hookHandle, code, wParam, lParam);
}

namespace {

constexpr char kWideHostName[] = "menulink64host.exe";

// The 64-bit library is installed by its own host process: a 32-bit
// process cannot install a 64-bit hook. Started from the 32-bit GTHook on
// 64-bit Windows unless a host runs already (it holds the named mutex).
void StartWideHost() {
#ifndef _WIN64
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return;
  if (HANDLE running = OpenMutexA(SYNCHRONIZE, FALSE, kWideHostMutex)) {
    CloseHandle(running);
    return;
  }
  char folder[MAX_PATH] = {};
  if (!WideHostFolder(folder, sizeof folder)) return;
  char command[MAX_PATH + 64];
  wsprintfA(command, "\"%s%s\" %lu", folder, kWideHostName, GetCurrentProcessId());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return;
  }
  // Told once per controller process; 32-bit applications are served on.
  static bool told = false;
  if (!told) {
    told = true;
    ShowErrorMessage(nullptr, IDS_ERR_WIDE_HOST, kWideHostName);
  }
#endif
}

}  // namespace

extern "C" HHOOK WINAPI GTHook(HHOOK hook) {
  if (hook) StartWideHost();
  sharedData.hookHandle = hook;
  if (sharedState) sharedState->featureDisabled = 0;
  return hook;
}

bool IsCandidateWindow(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return false;
  if (GetParent(hwnd)) return false;
  HMENU menuBar = GetMenu(hwnd);
  if (!menuBar) return false;
  char path[kModulePathSize];
  WindowModulePath(hwnd, path, sizeof path);
  char name[kModulePathSize];
  ModuleNameFromPath(name, sizeof name, path);
  if (name[0] == '\0' || IsExcludedModule(name)) return false;
  if (lstrcmpiA(name, "WORDPRO.EXE") == 0 && IsExcludedWordPro(path)) return false;
  DetectMenuLanguage(menuBar);
  return true;
}

int32_t CheckHookedWindow(HWND hwnd) {
  // The free tests first: this runs for every new or activated top-level
  // window of every process. While the feature is off nothing new is
  // subclassed, or each activation would release again and tell the
  // controller once more.
  if (!processState || !appTable || processState->stopHooking || currentSubclass ||
      FeatureDisabled())
    return 0;
  if (!IsCandidateWindow(hwnd)) return 0;
  char fullPath[kModulePathSize];
  WindowModulePath(hwnd, fullPath, sizeof fullPath);
  if (fullPath[0] == '\0') return 0;
  char moduleName[kModulePathSize];
  ModuleNameFromPath(moduleName, sizeof moduleName, fullPath);
  if (moduleName[0] == '\0') return 0;

  // Only a module that the table may hold waits for the mutex (and can
  // see a message about it); the others are told apart without a lock.
  if (!AppTableMayServe(moduleName)) return 0;

  int32_t index = -1;
  if (!AppTableFindByModule(moduleName, &index)) {
    ReportMemoryConflict();
    return 0;
  }
  if (index < 0 || index >= MAX_APPS || currentSubclass || !AppTableIsEnabled(index)) return 0;

  // Read without the lock, as a plain snapshot of the shared record.
  const AppRecord& record = appTable[index];
  if (IsUnknownText(record.title)) {
    char title[64];
    GetAppTitle(hwnd, title, sizeof title);
    if (!AppTableSetTitle(index, title)) ReportMemoryConflict();
  }
  if (IsUnknownText(record.path)) AppTableSetPath(index, fullPath);
  SubclassWindow(hwnd, moduleName);
  return 0;
}

namespace {

void LoadMenuName(int32_t base, LanguageIndex language, char* buf) {
  LoadLocalString(base, language, buf, 64);
}

HMENU FindPaste(HMENU edit, LanguageIndex language) {
  char paste[64];
  LoadMenuName(IDS_PASTE, language, paste);
  return paste[0] ? FindMenuItemExact(edit, paste, nullptr, nullptr) : nullptr;
}

}  // namespace

int32_t FindPasteMenuLanguage(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd) || GetParent(hwnd)) return 0;
  HMENU bar = GetMenu(hwnd);
  if (!bar) return 0;
  if (GetMenuItemCount(bar) < 0 && !IsOwnProcessWindow(hwnd)) return AskOwningProcess(hwnd);
  LanguageIndex firstSeen = -1;
  for (LanguageIndex language : kTableLanguages) {
    char file[64];
    LoadMenuName(IDS_FILE, language, file);
    bool haveFile = file[0] && FindMenuItemExact(bar, file, nullptr, nullptr);
    if (!haveFile && language == kLangPortuguese) {
      char alt[64];
      LoadLocalString(IDS_FILE_ALT_PT, 0, alt, sizeof alt);
      haveFile = alt[0] && FindMenuItemExact(bar, alt, nullptr, nullptr);
    }
    if (!haveFile) continue;
    if (firstSeen < 0) firstSeen = language;

    char editName[64];
    LoadMenuName(IDS_EDIT, language, editName);
    int32_t position = -1;
    HMENU edit = editName[0] ? FindMenuItemExact(bar, editName, nullptr, &position) : nullptr;
    // A command item named Edit has no submenu to look in.
    if (!edit || edit == bar) continue;
    bool havePaste = FindPaste(edit, language) != nullptr;
    if (!havePaste) {
      // Some applications fill their Edit menu only when it opens. One
      // that does not answer in time is not known to have Paste: it is
      // not listed, and not asked again for every other language.
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), position,
                               SMTO_ABORTIFHUNG | SMTO_NORMAL, kPeerReplyMs, &ignored))
        return 0;
      havePaste = FindPaste(edit, language) != nullptr;
    }
    if (havePaste) {
      if (processState) processState->menuLanguage = language;
      return 1;
    }
  }
  if (firstSeen >= 0 && processState) processState->menuLanguage = firstSeen;
  return 0;
}
