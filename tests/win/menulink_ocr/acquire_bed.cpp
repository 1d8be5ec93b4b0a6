#include "tests/win/menulink_ocr/acquire_bed.h"

#include <cstdio>
#include <objbase.h>

#include <cstring>
#include <sstream>
#include "common/proc_address.h"
#include "tests/win/common/test_files.h"
#include "tests/win/common/test_process.h"

namespace acquirebed {
namespace {

HMODULE dll;
const MenulinkInternalsTable* registryTable;
const MenulinkAcquireTable* runsTable;
SubclassRecord fakeRecord;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

void Load() {
  if (dll) return;
  // Messages go to a file instead of boxes; read at attach.
  SetEnvironmentVariableW(L"MENULINK_CAPTURE_MESSAGES_TO", BesideExe(L"ocr-messages.txt").c_str());
  dll = LoadLibraryW(BesideExe(L"testlib\\menulink.dll").c_str());
  if (!dll) return;
  auto reg = ProcAddress<MenulinkInternalsProc>(dll, "MenulinkInternals");
  auto runs = ProcAddress<MenulinkAcquireInternalsProc>(dll, "MenulinkAcquireInternals");
  if (reg) registryTable = reg();
  if (runs) runsTable = runs();
}

LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* e = reinterpret_cast<Editor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_COMMAND:
      if (e) {
        e->lastCommand = LOWORD(wp);
        if (LOWORD(wp) == 275 || LOWORD(wp) == 276 || LOWORD(wp) == 277) {
          ++e->pastes;
          e->pastedText.clear();
          if (OpenClipboard(hwnd)) {
            if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
              e->pastedText = static_cast<const wchar_t*>(GlobalLock(h));
              GlobalUnlock(h);
            }
            CloseClipboard();
          }
        }
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      // Keep the window dirty during a run so that every UpdateWindow paints.
      if (e && AcquireBusy() == 1) {
        ++e->paintsWhileBusy;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

HMENU Popup(std::initializer_list<std::pair<const wchar_t*, UINT>> items) {
  HMENU m = CreatePopupMenu();
  for (auto& [text, id] : items) AppendMenuW(m, MF_STRING, id, text);
  return m;
}

}  // namespace

const MenulinkInternalsTable* Registry() {
  Load();
  return registryTable;
}
const MenulinkAcquireTable* Runs() {
  Load();
  return runsTable;
}

std::wstring BesideExe(const wchar_t* name) { return BinDir() + L"\\" + name; }

DWORD RunServerCommand(const wchar_t* sw) {
  return DWORD(RunToEnd(L"\"" + BesideExe(L"ocrserver.exe") + L"\" " + sw, 30000));
}

void WriteScript(const std::string& text) { WriteAll(BesideExe(L"ocrserver-script.txt"), text); }

void ClearServerLog() { DeleteFileW(BesideExe(L"ocrserver-calls.log").c_str()); }

std::vector<std::string> ServerCalls(int* busyCalls) {
  std::vector<std::string> calls;
  int busy = 0;
  for (const std::string& line : Lines(ReadAll(BesideExe(L"ocrserver-calls.log")))) {
    if (line[0] == '#') continue;
    if (line == "IsAppBusy()") {
      ++busy;
      if (!calls.empty() && calls.back() == line) continue;
    }
    calls.push_back(line);
  }
  if (busyCalls) *busyCalls = busy;
  return calls;
}

bool ServerStarted() {
  for (const std::string& line : Lines(ReadAll(BesideExe(L"ocrserver-calls.log"))))
    if (line.rfind("# started", 0) == 0) return true;
  return false;
}

void ClearMessages() { DeleteFileW(BesideExe(L"ocr-messages.txt").c_str()); }

std::vector<std::string> MessageLines() { return Lines(ReadAll(BesideExe(L"ocr-messages.txt"))); }

std::vector<int> MessageIds() {
  std::vector<int> ids;
  for (const std::string& line : MessageLines()) ids.push_back(atoi(line.c_str()));
  return ids;
}

Editor* MakeEditor(const char* windowClass, const char* menuSpec) {
  std::wstring cls(windowClass, windowClass + strlen(windowClass));
  WNDCLASSW wc = {};
  wc.lpfnWndProc = EditorProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls.c_str();
  RegisterClassW(&wc);  // a second registration of the class fails harmlessly

  const std::string layout = menuSpec;
  HMENU bar = CreateMenu();
  if (layout == "french") {
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{L"&Fermer", 901}, {L"&Quitter", 902}})),
                L"&Fichier");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{L"Co&ller\tCtrl+V", 277}})), L"&Edition");
  } else {
    HMENU file = Popup({{L"&Close", 901}, {L"E&xit", 902}});
    if (layout == "closegrey") EnableMenuItem(file, 901, MF_BYCOMMAND | MF_GRAYED);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    if (layout == "editcommand")
      AppendMenuW(bar, MF_STRING, 276, L"&Edit");
    else if (layout != "noedit")
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(Popup({{L"&Paste\tCtrl+V", 275}})), L"&Edit");
  }
  auto* e = new Editor;
  e->hwnd = CreateWindowW(cls.c_str(), L"Untitled - Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                          nullptr, bar, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(e->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(e));
  Pump(50);
  return e;
}

void DestroyEditor(Editor* e) {
  if (!e) return;
  DestroyWindow(e->hwnd);
  delete e;
}

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

void SubclassFor(Editor* e, int language) {
  fakeRecord = SubclassRecord{};
  fakeRecord.hwnd = e->hwnd;
  fakeRecord.menuLanguage = language;
  *Runs()->currentSubclass = &fakeRecord;
}

void ClearSubclass() { *Runs()->currentSubclass = nullptr; }

BoxWatcher::BoxWatcher() : owner_(GetCurrentThreadId()) {
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
}

BoxWatcher::~BoxWatcher() { Stop(); }

bool BoxWatcher::Stop() {
  if (thread_) {
    SetEvent(stop_);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(stop_);
    thread_ = nullptr;
  }
  return seen_ != 0;
}

DWORD WINAPI BoxWatcher::Main(void* p) {
  auto* self = static_cast<BoxWatcher*>(p);
  while (WaitForSingleObject(self->stop_, 20) == WAIT_TIMEOUT) {
    HWND box = nullptr;
    EnumThreadWindows(
        self->owner_,
        [](HWND w, LPARAM out) CALLBACK -> BOOL {
          char cls[32];
          GetClassNameA(w, cls, sizeof cls);
          if (strcmp(cls, "#32770") == 0 && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box) continue;
    char buf[512];
    GetWindowTextA(box, buf, sizeof buf);
    self->caption = buf;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      char cls[32];
      GetClassNameA(c, cls, sizeof cls);
      if (lstrcmpiA(cls, "Static") != 0) continue;
      GetWindowTextA(c, buf, sizeof buf);
      if (buf[0]) self->text = buf;
    }
    InterlockedExchange(&self->seen_, 1);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
  return 0;
}

bool ThreadHasOle() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE;
}

bool LaunchMarkerExists() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\glyphtap", 0, KEY_READ,
                    &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

int32_t AcquireBusy() {
  const MenulinkInternalsTable* r = Registry();
  return r && *r->state ? (*r->state)->acquireBusy : -1;
}

int32_t AppIndex(const char* module) {
  int32_t index = -1;
  Registry()->findByModule(module, &index);
  if (index < 0) index = Registry()->add(nullptr, module, "");
  return index;
}

}  // namespace acquirebed
