// The listing: which top-level windows are candidates, what stands behind
// them, and the 16-bit applications the companion reports.

#include "menulink/registry/running_apps.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "menulink/registry/app_table.h"
#include "menulink/registry/ini_apps.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/persistence.h"
#include "menulink/registry/process_lookup.h"
#include "menulink/registry/record_text.h"
#include "menulink/registry/shared_data.h"

RunningAppNode* runningList = nullptr;

void RunningListAppend(const char* module, const char* title, int32_t flag) {
  auto* node =
      static_cast<RunningAppNode*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(RunningAppNode)));
  if (!node) return;
  FitModuleName(node->module, sizeof node->module, module ? module : "");
  CopyBounded(node->title, sizeof node->title, title ? title : "");
  node->enabled = flag;
  node->next = nullptr;
  RunningAppNode** tail = &runningList;
  while (*tail) tail = &(*tail)->next;
  *tail = node;
}

bool SendToPeer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  bool answered = SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, kPeerReplyMs,
                                      &answer) != 0;
  if (result) *result = answered ? static_cast<LRESULT>(answer) : 0;
  return answered;
}

void RunningListFree() {
  while (runningList) {
    RunningAppNode* next = runningList->next;
    HeapFree(GetProcessHeap(), 0, runningList);
    runningList = next;
  }
}

namespace {

DWORD Platform() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return VER_PLATFORM_WIN32_NT;
  return info.dwPlatformId;
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// A Word Pro whose FileVersion begins "97" is never listed.
bool IsWordPro97(const char* path) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!memory) return false;
  bool skip = false;
  void* block = GlobalLock(memory);
  if (block && GetFileVersionInfoA(path, 0, size, block)) {
    char* version = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block, "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&version),
                       &length) &&
        version && length)
      skip = IsWordPro97Version(version);
  }
  if (block) GlobalUnlock(memory);
  GlobalFree(memory);
  return skip;
}

}  // namespace

namespace {
WindowQualifier listingQualifier = nullptr;
}  // namespace

void SetListingQualifier(WindowQualifier qualifier) { listingQualifier = qualifier; }

BOOL CALLBACK ModuleEnumWindowProc(HWND hwnd, LPARAM) {
  if (!listingQualifier || !listingQualifier(hwnd)) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char path[MAX_PATH];
  char found[MAX_PATH] = "";
  CopyBounded(path, sizeof path, "unknown");

  DWORD platform = Platform();
  if (platform == VER_PLATFORM_WIN32_WINDOWS) {
    ToolhelpFindProcessModule(pid, found, path);
    if (!IsWin32Executable(path)) return TRUE;
  } else if (platform == VER_PLATFORM_WIN32_NT && QueryProcessImage(pid, found, path)) {
    // Name and full path, for a process of either width.
  } else if (platform == VER_PLATFORM_WIN32_NT) {
    char name[64] = "";
    bool noProcessData = false;
    PerfFindProcessNameEx(pid, name, &noProcessData);
    if (noProcessData) {
      // No Process object (counters disabled, or Wine): the same
      // process list is available through Toolhelp32.
      ToolhelpFindProcessImage(pid, found, path);
    } else {
      CopyBounded(found, sizeof found, name);
    }
    if (!found[0]) return TRUE;
    if (!std::strchr(found, '.')) {
      std::size_t n = std::strlen(found);
      CopyBounded(found + n, sizeof found - n, ".exe");
    }
  } else {
    return FALSE;
  }

  if (IsListingExcluded(found)) return TRUE;

  if (EqualsIgnoreCase(found, "KERNEL32.DLL")) {
    char title[kTitleSize];
    GetAppTitle(hwnd, title, (int)sizeof title);
    if (!std::strstr(title, "Notepad") && !std::strstr(title, "WordPad")) return TRUE;
    // Record the window under the module name the rest of the library
    // knows it by, whether or not its title is in the table yet.
    CopyBounded(found, sizeof found, title);
    ToUpperAscii(found);
    std::size_t n = std::strlen(found);
    CopyBounded(found + n, sizeof found - n, ".EXE");
  }

  if (EqualsIgnoreCase(found, "WORDPRO.EXE") && IsWordPro97(path)) return TRUE;

  ToUpperAscii(found);
  if (std::strcmp(found, "123W.EXE") == 0) {
    ToUpperAscii(path);
    if (!CutAndAppend(path, sizeof path, "123W.EXE", "MAIN123W.DLL") || !FileExists(path)) return FALSE;
    CopyBounded(found, sizeof found, "MAIN123W.DLL");
  }

  // Names longer than the table's field are cut to fit it.
  char module[kModuleSize];
  FitModuleName(module, sizeof module, found);

  int32_t index = -1;
  if (!AppTableFindByModule(module, &index)) return FALSE;
  if (index < 0) {
    if (!module[0]) return TRUE;
    char title[kTitleSize];
    GetAppTitle(hwnd, title, (int)sizeof title);
    if (AppTableAdd(hwnd, module, path) < 0) return FALSE;
    RunningListAppend(module, title, 0);
    return TRUE;
  }
  if (module[0] && appTable && appTable[index].enabled == 0) {
    char title[kTitleSize];
    // Read without the lock, like every read right after a search.
    std::size_t n = strnlen(appTable[index].title, sizeof appTable[index].title);
    if (n >= sizeof title) n = sizeof title - 1;
    std::memcpy(title, appTable[index].title, n);
    title[n] = '\0';
    RunningListAppend(module, title, 0);
  }
  return TRUE;
}

// The 16-bit applications, as the companion program reports them in
// "lx70.ini".

namespace {

const char kAppsSection[] = "Glyphtap_Apps";

// A "1" left from an earlier answer would be taken for this one.
void ClearAppsDone() { WritePrivateProfileStringA(kAppsSection, "AppsDone", "0", kIniFile); }

// Starts "lxtap16.exe /r" from the installation folder. The process handle
// is kept for the wait (closed by the caller), the thread handle closed.
bool StartCompanion(HANDLE* process) {
  char folder[MAX_PATH];
  if (!GetInstallPath("InstallPath", folder, sizeof folder)) return false;
  std::size_t n = std::strlen(folder);
  if (n == 0 || folder[n - 1] != '\\') CopyBounded(folder + n, sizeof folder - n, "\\");
  char shortFolder[MAX_PATH];
  DWORD s = GetShortPathNameA(folder, shortFolder, sizeof shortFolder);
  // Without a short form (a folder that does not exist, or no 8.3 names)
  // the command line is tried with the folder as given.
  if (s == 0 || s >= sizeof shortFolder) CopyBounded(shortFolder, sizeof shortFolder, folder);
  char command[MAX_PATH + 32];
  // Quoted: a long folder with blanks would otherwise start whatever
  // program its first word names.
  if (std::snprintf(command, sizeof command, "\"%slxtap16.exe\" /r", shortFolder) >= (int)sizeof command)
    return false;

  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_FORCEONFEEDBACK;
  PROCESS_INFORMATION info = {};
  ClearAppsDone();
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &info))
    return false;
  CloseHandle(info.hThread);
  *process = info.hProcess;
  return true;
}

// Rereads "AppsDone" until it is 1, for at most kAppsDoneWaitMs, and not
// past the exit of a companion started here.
bool WaitAppsDone(HANDLE process) {
  DWORD start = GetTickCount();
  for (;;) {
    if ((int)GetPrivateProfileIntA(kAppsSection, "AppsDone", -1, kIniFile) == 1) return true;
    if (GetTickCount() - start >= kAppsDoneWaitMs) return false;
    if (process) {
      if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0)
        return (int)GetPrivateProfileIntA(kAppsSection, "AppsDone", -1, kIniFile) == 1;
    } else {
      Sleep(10);
    }
  }
}

}  // namespace

void ListCompanionApps(ModuleEnumCallback callback) {
  HWND window = FindWindowA(kCompanionClass, nullptr);
  HANDLE process = nullptr;
  bool started = false;
  if (window) {
    ClearAppsDone();
    // A companion that does not take the request will not answer it.
    started = SendToPeer(window, WM_USER, 0, 0);
  } else {
    started = StartCompanion(&process);
  }
  if (!started) return;
  bool done = WaitAppsDone(process);
  if (process) CloseHandle(process);
  if (!done) return;

  for (int n = 1;; ++n) {
    char key[16], entry[256], name[256];
    std::snprintf(key, sizeof key, "App_%d", n);
    if (GetPrivateProfileStringA(kAppsSection, key, "", entry, sizeof entry, kIniFile) == 0) break;
    int flag = ParseIniAppEntry(entry, name, sizeof name);
    if (flag != -1 && !std::strstr(name, "unknown") && callback) callback(name, flag);
  }
}
