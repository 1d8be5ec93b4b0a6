#include "tests/win/menulink_mgmt/mgmt_bed.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include "common/proc_address.h"

namespace {

const char kDirect[] = "Software\\Korvane Corp\\Lexora9.0\\Direct";
const char kGeneral[] = "Software\\Korvane Corp\\Lexora9.0\\General";
// The library reads the 32-bit view; a 64-bit process names it outright.
const char* const kGeneralView = sizeof(void*) == 8 ? "Software\\Wow6432Node\\Korvane Corp\\Lexora9.0\\General" : kGeneral;
std::string captureFile;
Listing* collecting = nullptr;

void WINAPI Collect(const char* name, int32_t flag) {
  if (collecting) collecting->push_back({name ? name : "(null)", flag});
}

HMODULE Dll() {
  static HMODULE dll = [] {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    captureFile = std::string(dir) + "mlmgmt-messages-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(captureFile.c_str());
    // Read by the library at attach.
    SetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", captureFile.c_str());
    return LoadLibraryA((BinDirA() + "testlib\\menulink.dll").c_str());
  }();
  return dll;
}

template <class T>
void Bind(T& slot, const char* name) {
  slot = ProcAddress<T>(Dll(), name);
}

std::string LocalString(int base, int language) {
  char buf[128] = "";
  Internals()->loadLocalString(base, language, buf, sizeof buf);
  return buf;
}

struct MenuSpec {
  int language;
  MenuKind kind;
};

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* menus = reinterpret_cast<MenuSpec*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_INITMENUPOPUP && menus && menus->kind == MenuKind::PasteOnOpen) {
    HMENU popup = reinterpret_cast<HMENU>(wParam);
    if (GetMenuItemCount(popup) == 1)
      AppendMenuA(popup, MF_STRING, 275, LocalString(307, menus->language).c_str());
    return 0;
  }
  if (msg == WM_NCDESTROY) delete menus;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

std::string ExePath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, n);
}

std::string CaseDir() {
  static int counter = 0;
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  std::string base = std::string(dir) + "mlmgmt\\";
  CreateDirectoryA(base.c_str(), nullptr);
  std::string folder = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void WriteText(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool CopyNotepad(const std::string& to) {
  char dir[MAX_PATH];
  GetSystemDirectoryA(dir, MAX_PATH);
  return CopyFileA((std::string(dir) + "\\notepad.exe").c_str(), to.c_str(), FALSE) != FALSE;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
  return s;
}

const MenulinkInternalsTable* Internals() {
  static const MenulinkInternalsTable* table = [] {
    auto proc = ProcAddress<MenulinkInternalsProc>(Dll(), "MenulinkInternals");
    return proc ? proc() : nullptr;
  }();
  return table;
}

const Exports& Gt() {
  static Exports e = [] {
    Exports x{};
    Bind(x.getModules, "GTGetModules");
    Bind(x.registerNewApp, "GTRegisterNewApp");
    Bind(x.unregisterApp, "GTUnregisterApp");
    Bind(x.listUpdate, "GTListUpdate");
    Bind(x.shutDown, "GTShutDown");
    Bind(x.disable, "GTDisableGlyphtap");
    Bind(x.enable, "GTEnableGlyphtap");
    Bind(x.getRunningApps, "GTGetRunningApps");
    return x;
  }();
  return e;
}

Listing ListModules() {
  Listing out;
  collecting = &out;
  Gt().getModules(Collect);
  collecting = nullptr;
  return out;
}

std::vector<SlotCopy> Slots() {
  std::vector<SlotCopy> out;
  const MenulinkInternalsTable* t = Internals();
  AppRecord* table = *t->table;
  for (int i = 0; i < t->shared->appCount && i < MAX_APPS; ++i) {
    const AppRecord& r = table[i];
    out.push_back({std::string(r.module, strnlen(r.module, sizeof r.module)),
                   std::string(r.title, strnlen(r.title, sizeof r.title)),
                   std::string(r.path, strnlen(r.path, sizeof r.path)), r.enabled, r.running});
  }
  return out;
}

int FindSlot(const std::string& module) {
  int32_t index = -1;
  Internals()->findByModule(module.c_str(), &index);
  return index;
}

int AddRecord(const std::string& module, const std::string& path, const std::string& title, bool enabled) {
  int slot = Internals()->add(nullptr, module.c_str(), path.c_str());
  if (slot < 0) return slot;
  Internals()->setTitle(slot, title.c_str());
  if (enabled) Internals()->enable(slot);
  return slot;
}

void EmptyTable() {
  const MenulinkInternalsTable* t = Internals();
  if (t->lock() != WAIT_OBJECT_0) return;
  std::memset(*t->table, 0, sizeof(AppTable));
  t->shared->appCount = 0;
  t->unlock();
}

std::string IniPath() {
  char dir[MAX_PATH];
  UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir, n) + "\\lx70.ini";
}

void SetInstallPath(const std::string& folder) {
  HKEY key;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGeneral, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr);
  RegSetValueExA(key, "InstallPath", 0, REG_SZ, (const BYTE*)folder.c_str(), (DWORD)folder.size() + 1);
  RegCloseKey(key);
}

void DeleteInstallPath() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGeneral, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, "InstallPath");
  RegCloseKey(key);
}

std::string IniValue(const char* section, const char* key) {
  char buf[512];
  GetPrivateProfileStringA(section, key, "", buf, sizeof buf, "lx70.ini");
  return buf;
}

void SetIniValue(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, "lx70.ini");
}

StoreGuard::StoreGuard() {
  Internals();
  direct_ = SavedRegistryKey(HKEY_CURRENT_USER, kDirect);
  general_ = SavedRegistryKey(HKEY_LOCAL_MACHINE, kGeneralView);
  DWORD attr = GetFileAttributesA(IniPath().c_str());
  iniExisted_ = attr != INVALID_FILE_ATTRIBUTES;
  if (iniExisted_) ini_ = ReadText(IniPath());
  DeleteFileA(IniPath().c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, kDirect);
  DeleteInstallPath();
  DeleteFileA(captureFile.c_str());
  EmptyTable();
  Gt().listUpdate(0);  // no candidates left from an earlier test
}

StoreGuard::~StoreGuard() {
  Gt().listUpdate(0);
  if (HWND w = FindWindowA("Korvane.Glyphtap16", nullptr)) SendMessageA(w, WM_CLOSE, 0, 0);
  EmptyTable();
  direct_.Restore();
  general_.Restore();
  DeleteFileA(IniPath().c_str());
  if (iniExisted_) WriteText(IniPath(), ini_);
}

std::vector<std::string> StoreGuard::CapturedIds() const {
  std::vector<std::string> out;
  std::stringstream ss(ReadText(captureFile));
  std::string line;
  while (std::getline(ss, line))
    if (!line.empty()) out.push_back(line);
  return out;
}

MenuWindow::MenuWindow(const std::string& title, int language, MenuKind kind) {
  static ATOM atom = [] {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MenuWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MlmgmtMenuWindow";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  HMENU bar = nullptr;
  if (kind != MenuKind::NoMenu) {
    bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 100, LocalString(305, language).c_str());
    std::string fileName = kind == MenuKind::Arquivo ? "&Arquivo" : LocalString(304, language);
    if (kind == MenuKind::NoFile) fileName = "&Dossier";
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), fileName.c_str());
    std::string editName = LocalString(306, language);
    if (kind == MenuKind::EditCommand) {
      AppendMenuA(bar, MF_STRING, 200, editName.c_str());
    } else {
      HMENU edit = CreatePopupMenu();
      AppendMenuA(edit, MF_STRING, 201, "Undo");
      if (kind != MenuKind::NoPaste && kind != MenuKind::PasteOnOpen)
        AppendMenuA(edit, MF_STRING, 275, LocalString(307, language).c_str());
      AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), editName.c_str());
    }
  }
  hwnd_ = CreateWindowExA(0, "MlmgmtMenuWindow", title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                          nullptr, bar, GetModuleHandleA(nullptr), new MenuSpec{language, kind});
}

MenuWindow::~MenuWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

Companion::Companion(const std::string& folder, const std::vector<std::string>& entries) : folder_(folder) {
  CopyFileA((BinDirA() + "lxtap16.exe").c_str(), (folder + "lxtap16.exe").c_str(), FALSE);
  std::string text;
  for (const std::string& e : entries) text += e + "\r\n";
  WriteText(folder + "lxtap16.txt", text);
}

Companion::~Companion() { Close(); }

std::string Companion::Log() const { return ReadText(folder_ + "lxtap16.log"); }

std::string Companion::LogOnceItHolds(const std::string& needle, DWORD ms) const {
  DWORD start = GetTickCount();
  std::string log = Log();
  while (log.find(needle) == std::string::npos && GetTickCount() - start < ms) {
    Sleep(20);
    log = Log();
  }
  return log;
}

bool Companion::Running() const { return FindWindowA("Korvane.Glyphtap16", nullptr) != nullptr; }

bool Companion::Start() {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + folder_ + "lxtap16.exe\" /r";
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return WaitFor([this] { return Running(); });
}

void Companion::Close() {
  if (HWND w = FindWindowA("Korvane.Glyphtap16", nullptr)) SendMessageA(w, WM_CLOSE, 0, 0);
  WaitFor([this] { return !Running(); });
}
