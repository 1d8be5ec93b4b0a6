// The functions through which the settings front end manages the feature.

#include <cstdio>
#include <cstring>

#include "menulink/registry/app_table.h"
#include "menulink/registry/error_messages.h"
#include "menulink/registry/management_exports.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/persistence.h"
#include "menulink/registry/process_lookup.h"
#include "menulink/registry/record_text.h"
#include "menulink/registry/running_apps.h"
#include "menulink/registry/shared_data.h"
#include "menulink/registry/string_ids.h"

namespace {

constexpr std::size_t kNameSize = 260;

HWND CompanionWindow() { return FindWindowA(kCompanionClass, nullptr); }

void NotifyCompanion(UINT msg, LPARAM lParam) {
  if (HWND w = CompanionWindow()) SendToPeer(w, msg, 0, lParam);
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The record's field as text; the shared copy may lack its terminator.
void ReadField(char* out, std::size_t outSize, const char* field, std::size_t fieldSize) {
  std::size_t n = strnlen(field, fieldSize);
  if (n >= outSize) n = outSize - 1;
  std::memcpy(out, field, n);
  out[n] = '\0';
}

// Replaces the file-name part of path (at name) by replacement. False when
// the result would not fit.
bool ReplaceFileName(char* path, char* name, const char* replacement) {
  return CopyBounded(name, kNameSize - (std::size_t)(name - path), replacement);
}

// Programs registered under another file of their installation: the named
// file replaces the file-name part of the path, and its own name is the
// one registered. Only WordPad, standing in for Write, need not exist.
struct FileSubstitute {
  const char* name;
  const char* replacement;
  bool mustExist;
};
constexpr FileSubstitute k32BitSubstitutes[] = {
    {"WRITE.EXE", "WORDPAD.EXE", false},
    {"WPWIN.EXE", "SYSTEM\\WPWIN7.EXE", true},
    {"123W.EXE", "MAIN123W.DLL", true},
};
constexpr FileSubstitute k16BitSubstitutes[] = {
    {"WPWIN.EXE", "WPWIN61.EXE", true},
    {"123W.EXE", "MAIN123W.EXE", true},
    {"AMIPRO.EXE", "AMIPROUI.DLL", true},
};

// The name to register for the file named at file (inside path) into out
// (kNameSize bytes), path changed to the substitute's file where table has
// one. False when that file does not fit or does not exist.
template <std::size_t N>
bool Substitute(const FileSubstitute (&table)[N], char* path, char* file, char* out) {
  CopyBounded(out, kNameSize, file);
  for (const FileSubstitute& sub : table) {
    if (std::strcmp(out, sub.name) != 0) continue;
    if (!ReplaceFileName(path, file, sub.replacement) || (sub.mustExist && !FileExists(path))) return false;
    CopyBounded(out, kNameSize, AfterLastBackslash(sub.replacement));
    return true;
  }
  return true;
}

// The " (Win3.x App)" names: the companion's entry number of the title, -1
// when the companion does not know it.
bool Win3xEntry(char* copy, int32_t* number) {
  if (!std::strstr(copy, "Win3.x App")) return false;
  char* paren = std::strchr(copy, '(');
  if (paren) *(paren > copy ? paren - 1 : paren) = '\0';
  *number = FindIniAppNumber(copy);
  return true;
}

enum class NameKind { Done, Title, Record, File };

// The start both registration calls share, on name copied into copy
// (kNameSize bytes). Done: nothing more to do (no name, one that does not
// fit and so is no file the platform could open, a " (Win3.x App)" name
// handed to the companion with msg, or an error shown with errorId). Title:
// a name without ".EXE", *index its record or -1. Record: a bare module
// name of the table (as the listing reports a record without a title),
// *index its record. File: copy is a name in capitals ending in ".EXE".
NameKind ClassifyName(const char* name, char* copy, UINT msg, int32_t errorId, int32_t* index) {
  if (!name || !CopyBounded(copy, kNameSize, name)) return NameKind::Done;

  int32_t number = -1;
  if (Win3xEntry(copy, &number)) {
    if (number != -1) NotifyCompanion(msg, number);
    return NameKind::Done;
  }

  ToUpperAscii(copy);
  if (!std::strstr(copy, ".EXE")) {
    if (!AppTableFindByTitle(copy, index)) {
      ShowErrorMessage(nullptr, errorId, name);
      return NameKind::Done;
    }
    return NameKind::Title;
  }
  if (!EndsWithExeExtension(copy)) return NameKind::Done;
  if (!std::strchr(copy, '\\') && AppTableFindByModule(copy, index) && *index >= 0) return NameKind::Record;
  return NameKind::File;
}

void ReportModuleName(ModuleEnumCallback callback, const char* title, const char* module, int32_t flag) {
  callback(IsUnknownTitle(title) ? module : title, flag);
}

struct RunningScan {
  char* text;
  std::size_t capacity;
  std::size_t length;
  bool found;
};

BOOL CALLBACK RunningAppsEnumProc(HWND hwnd, LPARAM value) {
  auto* scan = reinterpret_cast<RunningScan*>(value);
  if (!IsWindow(hwnd) || GetParent(hwnd)) return TRUE;
  char title[kTitleSize];
  GetAppTitle(hwnd, title, (int)sizeof title);
  int32_t index = -1;
  if (!AppTableFindByTitle(title, &index) || index < 0 || !appTable || appTable[index].running != 1)
    return TRUE;
  char line[kTitleSize + 2];
  ReadField(line, kTitleSize, appTable[index].title, sizeof appTable[index].title);
  std::strcat(line, "\n");
  std::size_t add = std::strlen(line);
  if (scan->length + add + 1 > scan->capacity) {
    HANDLE heap = GetProcessHeap();
    void* grown = HeapReAlloc(heap, HEAP_ZERO_MEMORY, scan->text, scan->capacity + 1024);
    if (!grown) return FALSE;
    scan->text = static_cast<char*>(grown);
    scan->capacity += 1024;
  }
  std::memcpy(scan->text + scan->length, line, add + 1);
  scan->length += add;
  scan->found = true;
  return TRUE;
}

}  // namespace

extern "C" {

void WINAPI GTGetModules(ModuleEnumCallback callback) {
  if (!callback) return;
  // The registered records are copied under the lock and reported after
  // it is released: a slow callback must not hold every hooked process.
  struct Listed {
    char title[kTitleSize], module[kModuleSize];
    int32_t enabled;
  } listed[MAX_APPS];
  int32_t count = 0;
  DWORD wait = AppTableLock();
  if (wait == WAIT_OBJECT_0) {
    int32_t used = sharedState->appCount;
    if (used > MAX_APPS) used = MAX_APPS;
    for (int32_t i = 0; i < used; ++i) {
      const AppRecord& rec = appTable[i];
      if (rec.enabled == 0) continue;
      Listed& entry = listed[count++];
      ReadField(entry.title, sizeof entry.title, rec.title, sizeof rec.title);
      ReadField(entry.module, sizeof entry.module, rec.module, sizeof rec.module);
      entry.enabled = rec.enabled;
    }
    AppTableUnlock();
  } else {
    ShowErrorMessage(nullptr, IDS_ERR_REGISTRY);
  }
  for (int32_t i = 0; i < count; ++i)
    ReportModuleName(callback, listed[i].title, listed[i].module, listed[i].enabled);

  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) LoadToolhelp();

  EnumWindows(ModuleEnumWindowProc, 0);

  for (RunningAppNode* node = runningList; node; node = node->next) {
    char title[kTitleSize], module[kModuleSize];
    ReadField(title, sizeof title, node->title, sizeof node->title);
    ReadField(module, sizeof module, node->module, sizeof node->module);
    callback(EqualsIgnoreCase(title, "unknown") ? module : title, node->enabled);
  }

  ListCompanionApps(callback);
}

void WINAPI GTRegisterNewApp(const char* name) {
  char copy[kNameSize];
  int32_t index = -1;
  NameKind kind = ClassifyName(name, copy, WM_USER + 6, IDS_ERR_REGISTER, &index);
  // A bare module name means its record, not a file in the current folder.
  if (kind == NameKind::Record || (kind == NameKind::Title && index >= 0)) AppTableEnable(index);
  if (kind == NameKind::Title && index < 0) AppTableAdd(nullptr, copy, "unknown");
  if (kind != NameKind::File) return;

  char* file = const_cast<char*>(AfterLastBackslash(copy));
  if (IsWin32Executable(copy)) {
    char module[kNameSize];
    if (!Substitute(k32BitSubstitutes, copy, file, module)) return;
    char fitted[kModuleSize];
    FitModuleName(fitted, sizeof fitted, module);

    index = -1;
    if (!AppTableFindByModule(fitted, &index)) {
      ShowErrorMessage(nullptr, IDS_ERR_REGISTER, fitted);
      return;
    }
    if (index >= 0) {
      AppTableEnable(index);
      return;
    }
    int32_t slot = AppTableAdd(nullptr, fitted, std::strchr(copy, '\\') ? copy : "");
    if (slot < 0) return;
    if (std::strcmp(fitted, "NOTEPAD.EXE") == 0) AppTableSetTitle(slot, "Notepad");
    if (std::strcmp(fitted, "WORDPAD.EXE") == 0) AppTableSetTitle(slot, "WordPad");
    AppTableEnable(slot);
    return;
  }

  // 16-bit: the companion registers it, through "AddApp".
  char app[kNameSize];
  if (!Substitute(k16BitSubstitutes, copy, file, app)) return;
  WritePrivateProfileStringA("Browse", "AddApp", app, kIniFile);
  NotifyCompanion(WM_USER + 6, -1);
}

void WINAPI GTUnregisterApp(const char* name) {
  char copy[kNameSize];
  int32_t index = -1;
  NameKind kind = ClassifyName(name, copy, WM_USER + 7, IDS_ERR_UNREGISTER, &index);
  if (kind == NameKind::Title && index >= 0) AppTableDisable(index);
  if (kind == NameKind::Record) {
    char path[kPathSize];
    AppTableGetPath(index, path, sizeof path);
    // A record whose file is not known (registered by title, or listed
    // from the performance data) is the one meant: its name would
    // otherwise be handed to the 16-bit companion.
    if (IsUnknownTitle(path)) {
      AppTableDisable(index);
      return;
    }
    CopyBounded(copy, sizeof copy, path);
  } else if (kind != NameKind::File) {
    return;
  }

  const char* file = AfterLastBackslash(copy);
  if (IsWin32Executable(copy)) {
    char module[kModuleSize];
    FitModuleName(module, sizeof module, EqualsIgnoreCase(file, "WRITE.EXE") ? "WORDPAD.EXE" : file);
    index = -1;
    if (!AppTableFindByModule(module, &index)) {
      ShowErrorMessage(nullptr, IDS_ERR_UNREGISTER, module);
      return;
    }
    if (index >= 0) AppTableDisable(index);
    return;
  }

  char app[kNameSize];
  CopyBounded(app, sizeof app, file);
  ToUpperAscii(app);
  if (std::strcmp(app, "WPWIN.EXE") == 0)
    CopyBounded(app, sizeof app, "WPWIN61.EXE");
  else if (std::strcmp(app, "123W.EXE") == 0)
    CopyBounded(app, sizeof app, "MAIN123W.EXE");
  else if (std::strcmp(app, "AMIPRO.EXE") == 0)
    CopyBounded(app, sizeof app, "AMIPROUI.DLL");
  WritePrivateProfileStringA("Browse", "DeleteApp", app, kIniFile);
  NotifyCompanion(WM_USER + 7, -1);
}

int32_t WINAPI GTListUpdate(int32_t save) {
  RunningListFree();
  int32_t report = 0;
  if (save == 1) {
    if (AppTableLock() == WAIT_OBJECT_0) {
      report = SaveAppListByKey();
      AppTableUnlock();
    } else {
      ShowErrorMessage(nullptr, IDS_ERR_REGISTRY);
    }
  }
  NotifyCompanion(WM_USER + 8, 0);
  return report;
}

int32_t WINAPI GTShutDown() {
  DWORD wait = AppTableLock();
  if (wait != WAIT_OBJECT_0) return (int32_t)wait;
  SaveAppListByValues();
  return AppTableUnlock();
}

int32_t WINAPI GTDisableGlyphtap() {
  sharedState->featureDisabled = 1;
  if (HookedWindowCount().load() == 0) {
    if (HWND controller = FindWindowA(kControllerClass, nullptr)) SendToPeer(controller, WM_CLOSE, 0, 0);
  }
  LRESULT answer = 0;
  if (HWND companion = CompanionWindow()) SendToPeer(companion, WM_CLOSE, 0, 0, &answer);
  return (int32_t)answer;
}

void WINAPI GTEnableGlyphtap() { sharedState->featureDisabled = 0; }

int32_t WINAPI GTGetRunningApps(HWND owner) {
  if (HookedWindowCount().load() == 0) return 0;
  LanguageIndex language = GetUILanguage();
  if (!LanguageHasStrings(language)) language = kLangEnglish;
  char caption[64];
  LoadLocalString(IDS_GLYPHTAP, language, caption, sizeof caption);
  // The buffer is sized from the text: some translations are longer than
  // the English one.
  char intro[512];
  std::size_t introLength = (std::size_t)LoadLocalString(IDS_CANNOT_CLOSE, language, intro, sizeof intro);
  HANDLE heap = GetProcessHeap();
  for (;;) {
    RunningScan scan = {};
    scan.capacity = introLength + 1 > 145 ? introLength + 1 : 145;
    scan.text = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, scan.capacity));
    if (!scan.text) return 0;
    std::memcpy(scan.text, intro, introLength + 1);
    scan.length = introLength;
    EnumWindows(RunningAppsEnumProc, reinterpret_cast<LPARAM>(&scan));
    if (!scan.found) {
      HeapFree(heap, 0, scan.text);
      return 0;
    }
    int answer =
        MessageBoxA(owner, scan.text, caption, MB_RETRYCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND);
    HeapFree(heap, 0, scan.text);
    // Anything but Retry (Cancel, or a box that could not be shown)
    // ends the question: asking again could loop for ever.
    if (answer != IDRETRY) return 1;
  }
}

}  // extern "C"
