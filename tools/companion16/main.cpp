// Stand-in for the 16-bit companion: nothing 16-bit runs here, so this is a
// Win32 program with the companion's window class and its side of
// "lx70.ini".
//
//   lxtap16.exe /r
//
// Its applications come from "lxtap16.txt" beside the executable, one
// "module,title,flag" entry a line, written as it stands. Started with /r,
// or sent WM_USER, it writes them as "App_1".. of section "Glyphtap_Apps"
// (removing stale higher numbers) and then "AppsDone" = 1. Every message
// of interest, with the "Browse" key it refers to, is appended to
// "lxtap16.log" beside the executable, so that tests can see what the
// library told it. A first line "#mute" makes it never answer. WM_CLOSE
// ends it.

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/file_util.h"
#include "tools/common/stand_in.h"

namespace {

const char kIni[] = "lx70.ini";
const char kSection[] = "Glyphtap_Apps";
std::string folder;

void Log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendLogLine(folder + "lxtap16.log", 509, "\r\n", format, args);
  va_end(args);
}

void WriteApps() {
  int n = 0;
  if (FILE* in = std::fopen((folder + "lxtap16.txt").c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, in)) {
      line[std::strcspn(line, "\r\n")] = '\0';
      if (!line[0]) continue;
      // A companion that hangs before answering, for the caller's
      // time-out.
      if (std::strcmp(line, "#mute") == 0) {
        std::fclose(in);
        Log("muted");
        return;
      }
      char key[16];
      std::snprintf(key, sizeof key, "App_%d", ++n);
      WritePrivateProfileStringA(kSection, key, line, kIni);
    }
    std::fclose(in);
  }
  // Entries from an earlier, longer list would be read as this one's.
  for (int k = n + 1;; ++k) {
    char key[16], value[8];
    std::snprintf(key, sizeof key, "App_%d", k);
    if (GetPrivateProfileStringA(kSection, key, "", value, sizeof value, kIni) == 0) break;
    WritePrivateProfileStringA(kSection, key, nullptr, kIni);
  }
  WritePrivateProfileStringA(kSection, "AppsDone", "1", kIni);
  Log("apps %d", n);
}

void LogBrowse(const char* what, UINT msg, LPARAM lParam, const char* key) {
  char value[300] = "";
  if (lParam == -1) GetPrivateProfileStringA("Browse", key, "", value, sizeof value, kIni);
  Log("%s 0x%X %ld %s=%s", what, msg, (long)lParam, key, value);
}

LRESULT CALLBACK CompanionProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_USER:
      Log("list 0x%X", msg);
      WriteApps();
      return 0;
    case WM_USER + 6:
      LogBrowse("register", msg, lParam, "AddApp");
      return 0;
    case WM_USER + 7:
      LogBrowse("unregister", msg, lParam, "DeleteApp");
      return 0;
    case WM_USER + 8:
      Log("update 0x%X", msg);
      return 0;
    case WM_CLOSE:
      Log("close");
      DestroyWindow(hwnd);
      return 0;
    default:
      return StandInWindowDefault(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  folder = ExeFolder<char>();

  WNDCLASSA wc = {};
  wc.lpfnWndProc = CompanionProc;
  wc.hInstance = instance;
  wc.lpszClassName = "Korvane.Glyphtap16";
  if (!RegisterClassA(&wc)) return 1;
  // A top-level window with no menu: the listing must not take it for a
  // candidate.
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Glyphtap 16", WS_OVERLAPPED, 0, 0, 100, 60, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd) return 1;
  Log("start %s", commandLine);
  if (std::strstr(commandLine, "/r")) WriteApps();

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  Log("exit");
  return 0;
}
