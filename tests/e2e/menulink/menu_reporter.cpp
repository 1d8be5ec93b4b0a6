// A WH_GETMESSAGE hook that, for the posted message "MenulinkE2E.Dump",
// writes the File menu of the message's window to
// %TEMP%\menulink-e2e-menu.txt: one line per item, "<id>\t<text>", "-" for
// separators, then "end <lParam>". It works while the menu is open, since
// the menu's own loop takes posted messages through the hook too.
// "MenulinkE2E.Spy" puts a procedure of its own in front of the window's, so
// that the WM_COMMAND identifiers that reach notepad's own handling are
// listed in the dump as "commands <id>...".
#include <windows.h>

#include <cstdio>

namespace {

WNDPROC notepadProc = nullptr;
bool notepadUnicode = false;
UINT commandsSeen[64];
int commandCount = 0;

LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && commandCount < 64) commandsSeen[commandCount++] = LOWORD(wParam);
  return notepadUnicode ? CallWindowProcW(notepadProc, hwnd, msg, wParam, lParam)
                        : CallWindowProcA(notepadProc, hwnd, msg, wParam, lParam);
}

void InstallSpy(HWND hwnd) {
  if (notepadProc) return;
  notepadUnicode = IsWindowUnicode(hwnd) != FALSE;
  auto spy = reinterpret_cast<LONG_PTR>(SpyProc);
  notepadProc = reinterpret_cast<WNDPROC>(notepadUnicode ? SetWindowLongPtrW(hwnd, GWLP_WNDPROC, spy)
                                                         : SetWindowLongPtrA(hwnd, GWLP_WNDPROC, spy));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuReporterHook(int code, WPARAM wParam, LPARAM lParam) {
  static UINT dump = RegisterWindowMessageA("MenulinkE2E.Dump");
  static UINT spy = RegisterWindowMessageA("MenulinkE2E.Spy");
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && msg && msg->message == spy) {
    InstallSpy(msg->hwnd);
    msg->message = WM_NULL;
  }
  if (code == HC_ACTION && wParam == PM_REMOVE && msg && msg->message == dump) {
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    lstrcatA(path, "menulink-e2e-menu.txt");
    char tmp[MAX_PATH + 8];
    wsprintfA(tmp, "%s.tmp", path);
    if (FILE* f = std::fopen(tmp, "wb")) {
      HMENU file = GetSubMenu(GetMenu(msg->hwnd), 0);
      int count = file ? GetMenuItemCount(file) : -1;
      for (int i = 0; i < count; ++i) {
        char text[128] = {};
        if (GetMenuState(file, i, MF_BYPOSITION) & MF_SEPARATOR)
          std::fprintf(f, "-\n");
        else if (GetMenuStringA(file, i, text, sizeof text, MF_BYPOSITION) >= 0)
          std::fprintf(f, "%u\t%s\n", GetMenuItemID(file, i), text);
      }
      std::fprintf(f, "commands");
      for (int i = 0; i < commandCount; ++i) std::fprintf(f, " %u", commandsSeen[i]);
      std::fprintf(f, "\nend %ld\n", static_cast<long>(msg->lParam));
      std::fclose(f);
      MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING);
    }
    msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
