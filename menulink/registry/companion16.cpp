// The 16-bit applications, as the companion program reports them in
// "lx70.ini".

#include <cstdio>
#include <cstring>

#include "menulink/registry/ini_apps.h"
#include "menulink/registry/persistence.h"
#include "menulink/registry/record_text.h"
#include "menulink/registry/running_apps.h"

namespace {

const char kAppsSection[] = "Glyphtap_Apps";

// A "1" left from an earlier answer would be taken for this one.
void ClearAppsDone() { WritePrivateProfileStringA(kAppsSection, "AppsDone", "0", kIniFile); }

// Starts "lxtap16.exe /r" from the installation folder. The process handle
// is kept for the wait (closed by the caller), the thread handle closed.
bool StartCompanion(HANDLE *process) {
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
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &info))
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
