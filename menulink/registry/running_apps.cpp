// Which top-level windows are candidates, and what stands behind them.

#include "menulink/registry/running_apps.h"

#include <cstdlib>
#include <cstring>

#include "menulink/integration/error_messages.h"
#include "menulink/integration/menu_items.h"
#include "menulink/integration/menu_text.h"
#include "menulink/registry/app_table.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/record_text.h"
#include "menulink/registry/shared_data.h"

RunningAppNode *runningList = nullptr;

void RunningListAppend(const char *module, const char *title, int32_t flag) {
    auto *node = static_cast<RunningAppNode *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(RunningAppNode)));
    if (!node) return;
    FitModuleName(node->module, sizeof node->module, module ? module : "");
    CopyBounded(node->title, sizeof node->title, title ? title : "");
    node->enabled = flag;
    node->next = nullptr;
    RunningAppNode **tail = &runningList;
    while (*tail) tail = &(*tail)->next;
    *tail = node;
}

bool SendToPeer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    DWORD_PTR answer = 0;
    bool answered =
        SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, kPeerReplyMs, &answer) != 0;
    if (result) *result = answered ? static_cast<LRESULT>(answer) : 0;
    return answered;
}

void RunningListFree() {
    while (runningList) {
        RunningAppNode *next = runningList->next;
        HeapFree(GetProcessHeap(), 0, runningList);
        runningList = next;
    }
}

namespace {

void LoadMenuName(int32_t base, LanguageIndex language, char *buf) { LoadLocalString(base, language, buf, 64); }

HMENU FindPaste(HMENU edit, LanguageIndex language) {
    char paste[64];
    LoadMenuName(IDS_PASTE, language, paste);
    return paste[0] ? FindMenuItemExact(edit, paste, nullptr, nullptr) : nullptr;
}

DWORD Platform() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return VER_PLATFORM_WIN32_NT;
    return info.dwPlatformId;
}

bool FileExists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// A Word Pro whose FileVersion begins "97" is never listed.
bool IsWordPro97(const char *path) {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return false;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) return false;
    bool skip = false;
    void *block = GlobalLock(memory);
    if (block && GetFileVersionInfoA(path, 0, size, block)) {
        char *version = nullptr;
        UINT length = 0;
        if (VerQueryValueA(block, "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void **>(&version),
                           &length) &&
            version && length)
            skip = IsWordPro97Version(version);
    }
    if (block) GlobalUnlock(memory);
    GlobalFree(memory);
    return skip;
}

}  // namespace

int32_t FindPasteMenuLanguage(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd) || GetParent(hwnd)) return 0;
    HMENU bar = GetMenu(hwnd);
    if (!bar) return 0;
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

BOOL CALLBACK ModuleEnumWindowProc(HWND hwnd, LPARAM) {
    if (!FindPasteMenuLanguage(hwnd)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char path[MAX_PATH];
    char found[MAX_PATH] = "";
    CopyBounded(path, sizeof path, "unknown");

    DWORD platform = Platform();
    if (platform == VER_PLATFORM_WIN32_WINDOWS) {
        ToolhelpFindProcessModule(pid, found, path);
        if (!IsWin32Executable(path)) return TRUE;
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
        if (!ContainsText(title, "Notepad") && !ContainsText(title, "WordPad")) return TRUE;
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
