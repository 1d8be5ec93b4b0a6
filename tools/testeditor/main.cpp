// A small editor whose menu bar can be built in any language of the
// library's string table and in the layouts that matter to it. Since no
// other process can read its menus, it reports them itself: a test sends
// the registered message "MenulinkTestEditor.Report" and reads the file
// named by --report. "MenulinkTestEditor.Action" makes it send its own
// window the messages a menu would.
//
//   testeditor [--lang N] [--layout standard|noexit|close|exitfirst|ids1500]
//              [--arquivo] [--close-grayed] [--class NAME] [--title TEXT]
//              [--second] [--windows N] [--owned] [--nomenu] [--unicode] [--cancel-close]
//              [--report FILE] [--lifetime MS]

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <map>
#include <vector>

#include "tools/testeditor/menus.h"

namespace {

enum Action : WPARAM {
  kOpenFileMenu = 1,    // WM_INITMENUPOPUP for the File popup
  kMenuClosed = 2,      // WM_MENUSELECT with flags 0xFFFF and no menu
  kSelectItem = 3,      // WM_MENUSELECT highlighting item lParam of File
  kCommand = 4,         // WM_COMMAND with identifier lParam
  kKeyboardMenu = 5,    // opens the real File menu from the keyboard
  kEndMenu = 6,         // closes a menu that is open
  kClearLog = 7,        // forgets the commands and selections seen so far
  kActivateApp = 8,     // WM_ACTIVATEAPP, as when the user comes back
  kCloseWindow = 9,     // WM_CLOSE, from the window's own thread
  kDestroyWindow = 10,  // DestroyWindow without WM_CLOSE, as File > Exit may do
  kSubclassOver = 11,   // the editor subclasses its window over whatever is there
  kUnloadLibrary = 12,  // FreeLibrary on menulink.dll until it is gone: 1 gone, 2 not
  kExitProcess = 13,    // ExitProcess with the window still open
};

struct Options {
  MenuOptions menu;
  std::string className = "MenulinkTestEditor";
  std::string title = "Untitled - Test Editor";
  std::string report;
  int windows = 1;  // top-level windows with menus, "Window N - Test Editor" after the first
  bool second = false, owned = false, noMenu = false, unicode = false, cancelClose = false;
  DWORD lifetimeMs = 0;
};

Options options;
UINT reportMessage, actionMessage;
HWND windows[2];
int liveWindows = 0;
std::vector<UINT> commandsSeen, selectionsSeen;
constexpr size_t kLogLimit = 4096;

LRESULT CALLBACK EditorProc(HWND, UINT, WPARAM, LPARAM);

// The editor's own subclass over another program's (a macro tool or
// accessibility aid would do the same): passes everything on.
std::map<HWND, WNDPROC> procBelow;
LRESULT CALLBACK OuterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(procBelow[hwnd], hwnd, msg, wParam, lParam);
}

// What a host does that loaded the library itself (or whose hook went):
// release it until the loader has really unmapped it.
LRESULT UnloadLibrary() {
  for (int i = 0; i < 100000; ++i) {
    HMODULE library = GetModuleHandleA("menulink.dll");
    if (!library) return 1;
    if (!FreeLibrary(library)) break;
  }
  return GetModuleHandleA("menulink.dll") ? 2 : 1;
}

void Append(std::string& out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out += line;
}

HMENU FileMenuOf(HWND hwnd) { return GetSubMenu(GetMenu(hwnd), 0); }

bool WriteReport(HWND hwnd) {
  std::string out;
  LONG_PTR proc =
      IsWindowUnicode(hwnd) ? GetWindowLongPtrW(hwnd, GWLP_WNDPROC) : GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
  Append(out, "subclassed %d\n", proc != reinterpret_cast<LONG_PTR>(EditorProc) ? 1 : 0);
  Append(out, "unicode %d\n", IsWindowUnicode(hwnd) ? 1 : 0);
  HMENU file = FileMenuOf(hwnd);
  Append(out, "filemenu %llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(file)));
  int count = file ? GetMenuItemCount(file) : -1;
  for (int i = 0; i < count; ++i) {
    UINT state = GetMenuState(file, i, MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      out += "sep\n";
      continue;
    }
    char text[128] = {};
    GetMenuStringA(file, i, text, sizeof text, MF_BYPOSITION);
    Append(out, "item %u %u %s\n", GetMenuItemID(file, i), state & (MF_GRAYED | MF_DISABLED), text);
  }
  out += "commands";
  for (UINT id : commandsSeen) Append(out, " %u", id);
  out += "\nselections";
  for (UINT id : selectionsSeen) Append(out, " %u", id);
  out += "\nend\n";

  std::string tmp = options.report + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  std::fwrite(out.data(), 1, out.size(), f);
  std::fclose(f);
  return MoveFileExA(tmp.c_str(), options.report.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

LRESULT DoAction(HWND hwnd, WPARAM action, LPARAM arg) {
  HMENU file = FileMenuOf(hwnd);
  switch (action) {
    case kOpenFileMenu:
      return SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MAKELPARAM(0, FALSE));
    case kMenuClosed:
      return SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    case kSelectItem:
      return SendMessageA(hwnd, WM_MENUSELECT, MAKEWPARAM(arg, MF_HILITE), reinterpret_cast<LPARAM>(file));
    case kCommand:
      return SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(arg, 0), 0);
    case kKeyboardMenu:
      return PostMessageA(hwnd, WM_SYSCOMMAND, SC_KEYMENU, FileAccessKey(options.menu));
    case kEndMenu:
      return EndMenu();
    case kClearLog:
      commandsSeen.clear();
      selectionsSeen.clear();
      return 1;
    case kActivateApp:
      return SendMessageA(hwnd, WM_ACTIVATEAPP, TRUE, 0);
    case kDestroyWindow:
      return DestroyWindow(hwnd);
    case kSubclassOver:
      procBelow[hwnd] = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
      return SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OuterProc)) != 0;
    case kUnloadLibrary:
      return UnloadLibrary();
    case kExitProcess:
      ExitProcess(0);
    case kCloseWindow:
      if (options.owned && windows[0] && hwnd != windows[0]) SendMessageA(windows[0], WM_CLOSE, 0, 0);
      return SendMessageA(hwnd, WM_CLOSE, 0, 0);
    default:
      return 0;
  }
}

LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == reportMessage && reportMessage) return WriteReport(hwnd) ? 1 : 0;
  if (msg == actionMessage && actionMessage) return DoAction(hwnd, wParam, lParam);
  switch (msg) {
    case WM_COMMAND:
      if (commandsSeen.size() < kLogLimit) commandsSeen.push_back(LOWORD(wParam));
      if (LOWORD(wParam) == kCmdExit) PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_MENUSELECT:
      if (HIWORD(wParam) != 0xFFFF && selectionsSeen.size() < kLogLimit)
        selectionsSeen.push_back(LOWORD(wParam));
      break;
    case WM_CLOSE:
      if (options.cancelClose) return 0;
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      // The first window is the application: when it goes, all go.
      if (--liveWindows <= 0 || hwnd == windows[0]) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return options.unicode ? DefWindowProcW(hwnd, msg, wParam, lParam)
                         : DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool ParseArgs(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&](const char** value) {
      if (i + 1 >= argc) return false;
      *value = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (a == "--lang" && next(&v))
      options.menu.language = std::atoi(v);
    else if (a == "--layout" && next(&v)) {
      if (!ParseLayout(v, &options.menu.layout)) return false;
    } else if (a == "--arquivo")
      options.menu.arquivo = true;
    else if (a == "--close-grayed")
      options.menu.closeGrayed = true;
    else if (a == "--class" && next(&v))
      options.className = v;
    else if (a == "--title" && next(&v))
      options.title = v;
    else if (a == "--report" && next(&v))
      options.report = v;
    else if (a == "--lifetime" && next(&v))
      options.lifetimeMs = static_cast<DWORD>(std::strtoul(v, nullptr, 10));
    else if (a == "--second")
      options.second = true;
    else if (a == "--windows" && next(&v))
      options.windows = std::atoi(v);
    else if (a == "--owned")
      options.owned = true;
    else if (a == "--nomenu")
      options.noMenu = true;
    else if (a == "--unicode")
      options.unicode = true;
    else if (a == "--cancel-close")
      options.cancelClose = true;
    else
      return false;
  }
  return true;
}

HWND CreateEditorWindow(HINSTANCE instance, HWND owner, bool withMenu, int x, const std::string& caption) {
  HMENU menu = withMenu ? BuildMenuBar(options.menu) : nullptr;
  DWORD style =
      owner ? (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE) : (WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND hwnd;
  if (options.unicode) {
    std::wstring cls(options.className.begin(), options.className.end());
    std::wstring title(caption.begin(), caption.end());
    hwnd = CreateWindowExW(0, cls.c_str(), title.c_str(), style, x, 40, 420, 300, owner, menu, instance,
                           nullptr);
  } else {
    hwnd = CreateWindowExA(0, options.className.c_str(), caption.c_str(), style, x, 40, 420, 300, owner, menu,
                           instance, nullptr);
  }
  if (hwnd) ++liveWindows;
  return hwnd;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseArgs(argc, argv)) {
    std::fprintf(stderr, "testeditor: bad arguments\n");
    return 2;
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  reportMessage = RegisterWindowMessageA("MenulinkTestEditor.Report");
  actionMessage = RegisterWindowMessageA("MenulinkTestEditor.Action");

  bool registered;
  if (options.unicode) {
    std::wstring cls(options.className.begin(), options.className.end());
    WNDCLASSW wc = {};
    wc.lpfnWndProc = EditorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls.c_str();
    registered = RegisterClassW(&wc) != 0;
  } else {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = EditorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = options.className.c_str();
    registered = RegisterClassA(&wc) != 0;
  }
  if (!registered) return 3;

  if (options.owned) {
    // The menu bar sits on an owned window; its owner has none.
    windows[0] = CreateEditorWindow(instance, nullptr, false, 20, "Owner - Test Editor");
    windows[1] = CreateEditorWindow(instance, windows[0], !options.noMenu, 460, options.title);
  } else {
    windows[0] = CreateEditorWindow(instance, nullptr, !options.noMenu, 20, options.title);
    if (options.second)
      windows[1] = CreateEditorWindow(instance, nullptr, !options.noMenu, 460, "Second - Test Editor");
    for (int n = 2; n <= options.windows; ++n)
      CreateEditorWindow(instance, nullptr, !options.noMenu, 20 + 10 * n,
                         "Window " + std::to_string(n) + " - Test Editor");
  }
  if (!windows[0]) return 4;
  if (options.lifetimeMs) SetTimer(nullptr, 0, options.lifetimeMs, nullptr);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd) break;  // lifetime over
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
