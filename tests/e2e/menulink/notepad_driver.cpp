// Drives Wine's own notepad with the hook installed: the File menu opened
// from the keyboard holds the two items before Exit, read from inside the
// process; opening it again gives no duplicates; closing it takes them out.
// Prints "FAIL: ..." lines and exits 1 on any failure.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "common/proc_address.h"
#include "tests/win/common/test_files.h"

namespace {

int failures = 0;
void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

std::string TempFile(const char* name) {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  return std::string(path) + name;
}

struct Item {
  std::string id, text;
};

// WM_COMMAND identifiers that reached notepad's own procedure, as of the
// last dump.
std::string commandsSeen;

std::vector<Item> Dump(HWND notepad) {
  static long tag = 0;
  std::string path = TempFile("menulink-e2e-menu.txt");
  DeleteFileA(path.c_str());
  PostMessageA(notepad, RegisterWindowMessageA("MenulinkE2E.Dump"), 0, ++tag);
  std::string end = "end " + std::to_string(tag);
  for (int i = 0; i < 100; ++i, Sleep(50)) {
    std::ifstream in(path);
    std::vector<Item> items;
    std::string line;
    bool done = false;
    while (std::getline(in, line)) {
      if (line == end)
        done = true;
      else if (line.rfind("commands", 0) == 0)
        commandsSeen = line.substr(8);
      else if (line == "-")
        items.push_back({"-", "-"});
      else
        items.push_back({line.substr(0, line.find('\t')), line.substr(line.find('\t') + 1)});
    }
    if (done) return items;
  }
  return {};
}

std::string Tail(const std::vector<Item>& items, size_t n) {
  std::string s;
  for (size_t i = items.size() > n ? items.size() - n : 0; i < items.size(); ++i)
    s += "[" + items[i].text + "]";
  return s;
}

// Our two items carry identifiers that are non-zero, differ from each
// other and from every other item of the menu.
bool OwnIdsAreFree(const std::vector<Item>& items) {
  std::string acquire, settings;
  for (const Item& i : items) {
    if (i.text == "Acquire Text...") acquire = i.id;
    if (i.text == "Acquire Text Settings...") settings = i.id;
  }
  if (acquire.empty() || settings.empty() || acquire == "0" || settings == "0" || acquire == settings)
    return false;
  for (const Item& i : items)
    if (i.text != "Acquire Text..." && i.text != "Acquire Text Settings..." &&
        (i.id == acquire || i.id == settings))
      return false;
  return true;
}

int Count(const std::vector<Item>& items, const std::string& text) {
  int n = 0;
  for (const Item& i : items) n += i.text == text;
  return n;
}

void OpenFileMenu(HWND notepad) {
  PostMessageA(notepad, WM_SYSCOMMAND, SC_KEYMENU, 'f');
  Sleep(700);
}

void CloseMenu(HWND notepad) {
  for (int i = 0; i < 2; ++i) {
    PostMessageA(notepad, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(notepad, WM_KEYUP, VK_ESCAPE, 0);
    Sleep(300);
  }
}

}  // namespace

int main() {
  HWND notepad = nullptr;
  for (int i = 0; i < 200 && !(notepad = FindWindowA("Notepad", nullptr)); ++i) Sleep(50);
  Check(notepad != nullptr, "notepad window found");
  if (!notepad) return 1;

  HMODULE reporter = LoadLibraryA((BinDirA() + "menu_reporter.dll").c_str());
  auto proc = ProcAddress<HOOKPROC>(reporter, "MenuReporterHook");
  HHOOK hook =
      proc ? SetWindowsHookExA(WH_GETMESSAGE, proc, reporter, GetWindowThreadProcessId(notepad, nullptr))
           : nullptr;
  Check(hook != nullptr, "menu reporter installed");
  // The spy sits under the library's procedure once notepad is subclassed:
  // what it sees is what notepad's own command handling would get.
  PostMessageA(notepad, RegisterWindowMessageA("MenulinkE2E.Spy"), 0, 0);
  Check(!Dump(notepad).empty(), "spy installed before the hook");

  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "MenulinkController.Ready");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + BinDirA() + "controller.exe\" --dll \"" + BinDirA() +
                    "testlib\\menulink.dll\" --log \"" + TempFile("menulink-e2e-controller.log") + "\"";
  Check(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE,
        "controller started");
  Check(WaitForSingleObject(ready, 15000) == WAIT_OBJECT_0, "controller ready");
  // Notepad was running before the hook: its next activation picks it up.
  DWORD_PTR r;
  SendMessageTimeoutA(notepad, WM_ACTIVATEAPP, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &r);

  std::vector<Item> before = Dump(notepad);
  Check(!before.empty() && Count(before, "Acquire Text...") == 0,
        "closed menu has no items: " + Tail(before, 3));

  OpenFileMenu(notepad);
  std::vector<Item> open = Dump(notepad);
  const std::string expected = "[-][Acquire Text...][Acquire Text Settings...][-][E&xit]";
  Check(Tail(open, 5) == expected, "open File menu ends " + Tail(open, 5));
  std::string firstIds = open.size() >= 4 ? open[open.size() - 4].id + "," + open[open.size() - 3].id : "";

  // The script takes its screenshot of the open menu now.
  HANDLE flag = CreateFileA(TempFile("menulink-e2e-menu-open.flag").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  CloseHandle(flag);
  std::string done = TempFile("menulink-e2e-shot.done");
  for (int i = 0; i < 200 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);

  CloseMenu(notepad);
  std::vector<Item> closed = Dump(notepad);
  Check(Count(closed, "Acquire Text...") == 0 && Count(closed, "Acquire Text Settings...") == 0 &&
            Tail(closed, 1) == "[E&xit]",
        "menu closes without the items: " + Tail(closed, 3));
  Check(closed.size() + 3 == open.size(), "exactly the items and one separator were taken out");

  OpenFileMenu(notepad);
  std::vector<Item> again = Dump(notepad);
  Check(Tail(again, 5) == expected && Count(again, "Acquire Text...") == 1 &&
            Count(again, "Acquire Text Settings...") == 1,
        "opening again: no duplicates, " + Tail(again, 5));
  Check(OwnIdsAreFree(open) && OwnIdsAreFree(again), "the items' identifiers are free ones, each time");
  std::printf("identifiers first %s, again %s,%s\n", firstIds.c_str(),
              again.size() >= 4 ? again[again.size() - 4].id.c_str() : "",
              again.size() >= 3 ? again[again.size() - 3].id.c_str() : "");
  CloseMenu(notepad);

  // Choosing "Acquire Text..." from the keyboard, as a user would (no
  // OCR server in this bed, so the run only reports its error, captured
  // to a file), must stop at the library; a command of notepad's own that
  // changes nothing, and the item's number sent without choosing it, must
  // get through.
  if (again.size() >= 4) {
    UINT acquireId = static_cast<UINT>(std::stoul(again[again.size() - 4].id));
    const UINT harmless = 1;
    std::string messages = "C:\\windows\\temp\\menulink-e2e-messages.txt";
    DeleteFileA(messages.c_str());
    OpenFileMenu(notepad);
    // From the first item up: Exit, the settings item, "Acquire Text...".
    for (int k = 0; k < 3; ++k) {
      PostMessageA(notepad, WM_KEYDOWN, VK_UP, 0);
      PostMessageA(notepad, WM_KEYUP, VK_UP, 0xC0000001);
      Sleep(200);
    }
    PostMessageA(notepad, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(notepad, WM_KEYUP, VK_RETURN, 0xC0000001);
    bool ran = false;
    for (int i = 0; i < 150 && !ran; ++i) {
      Sleep(100);
      ran = GetFileAttributesA(messages.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    Check(ran, "choosing Acquire Text... started a run");
    SendMessageTimeoutA(notepad, WM_COMMAND, MAKEWPARAM(harmless, 0), 0, SMTO_ABORTIFHUNG, 5000, &r);
    SendMessageTimeoutA(notepad, WM_COMMAND, MAKEWPARAM(acquireId, 0), 0, SMTO_ABORTIFHUNG, 5000, &r);
    Dump(notepad);
    std::string expectedSeen = " " + std::to_string(harmless) + " " + std::to_string(acquireId);
    Check(commandsSeen == expectedSeen, "only notepad's own commands reached notepad (seen:" + commandsSeen +
                                            ", acquire " + std::to_string(acquireId) + ")");
    char title[128] = {};
    GetWindowTextA(notepad, title, sizeof title);
    Check(std::string(title) == "Untitled - Notepad", std::string("notepad unchanged: ") + title);
  } else {
    Check(false, "no Acquire Text item to choose");
  }

  UnhookWindowsHookEx(hook);
  PostMessageA(notepad, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && IsWindow(notepad); ++i) Sleep(50);
  Check(!IsWindow(notepad), "notepad closed");
  if (HWND w = FindWindowA("Korvane.Glyphtap32", nullptr)) PostMessageA(w, WM_CLOSE, 0, 0);
  WaitForSingleObject(pi.hProcess, 5000);
  return failures ? 1 : 0;
}
