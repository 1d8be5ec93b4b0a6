#include "process_bed.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/win/common/test_files.h"

namespace {

const char* kDirect = "Software\\Korvane Corp\\Lexora9.0\\Direct";
const char* kGeneral = "Software\\Korvane Corp\\Lexora9.0\\General";

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string TempName(const char* prefix) {
  char dir[MAX_PATH], file[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, prefix, 0, file);
  return file;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

std::vector<std::string> DriverRun::Lines() const {
  std::vector<std::string> lines;
  std::stringstream ss(out);
  std::string line;
  while (std::getline(ss, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string DriverRun::After(const std::string& prefix) const {
  for (const std::string& l : Lines())
    if (l.compare(0, prefix.size(), prefix) == 0) return l.substr(prefix.size());
  return "";
}

Driver::Driver(const std::vector<std::string>& commands) {
  outFile_ = TempName("mld");
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(outFile_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string cmd = Quote(BinDirA() + "menulink_table_driver.exe");
  for (const std::string& c : commands) cmd += " " + Quote(c);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, BinDirA().c_str(), &si, &pi_))
    pi_ = PROCESS_INFORMATION{};
  CloseHandle(out);
}

Driver::~Driver() {
  if (pi_.hProcess) {
    if (!waited_) Kill();
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  DeleteFileA(outFile_.c_str());
}

DriverRun Driver::Wait(DWORD timeoutMs) {
  DriverRun run;
  if (!pi_.hProcess) {
    run.out = "driver did not start";
    return run;
  }
  run.finished = WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!run.finished) Kill();
  waited_ = true;
  GetExitCodeProcess(pi_.hProcess, &run.exitCode);
  for (char c : ReadFile(outFile_))
    if (c != '\r') run.out += c;
  return run;
}

void Driver::Kill() {
  if (!pi_.hProcess) return;
  TerminateProcess(pi_.hProcess, 99);
  WaitForSingleObject(pi_.hProcess, 10000);
  waited_ = true;
}

DriverRun RunDriver(const std::vector<std::string>& commands, DWORD timeoutMs) {
  Driver d(commands);
  return d.Wait(timeoutMs);
}

bool WaitNamedEvent(const std::string& name, DWORD timeoutMs) {
  HANDLE e = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  bool ok = WaitForSingleObject(e, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(e);
  return ok;
}

void SetNamedEvent(const std::string& name) {
  HANDLE e = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  SetEvent(e);
  // Kept open so the event outlives this call until the waiter sees it.
}

std::vector<Slot> ParseDump(const DriverRun& run, int* count) {
  std::vector<Slot> slots;
  for (const std::string& l : run.Lines()) {
    if (l.rfind("count ", 0) == 0 && count) *count = std::stoi(l.substr(6));
    if (l.rfind("slot ", 0) != 0) continue;
    std::vector<std::string> f;
    size_t start = 0;
    for (;;) {
      size_t bar = l.find('|', start);
      f.push_back(l.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
      if (bar == std::string::npos) break;
      start = bar + 1;
    }
    if (f.size() != 6) continue;
    Slot s;
    s.module = f[1];
    s.path = f[2];
    s.title = f[3];
    s.enabled = std::stoi(f[4]);
    s.running = std::stoi(f[5]);
    slots.push_back(s);
  }
  return slots;
}

bool TableMappingExists() {
  HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, "GLYPHTAP_MAP_OBJECT");
  if (!h) return false;
  CloseHandle(h);
  return true;
}

std::string IniPath() {
  char dir[MAX_PATH];
  UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir, n) + "\\lx70.ini";
}

void DeleteDirectKey() { RegDeleteKeyA(HKEY_CURRENT_USER, kDirect); }

void SetDirectValue(const std::string& name, const std::string& text, DWORD type) {
  HKEY key;
  RegCreateKeyExA(HKEY_CURRENT_USER, kDirect, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, name.c_str(), 0, type, (const BYTE*)text.c_str(), (DWORD)text.size() + 1);
  RegCloseKey(key);
}

std::map<std::string, std::string> DirectValues() {
  std::map<std::string, std::string> out;
  const SavedRegistryKey key(HKEY_CURRENT_USER, kDirect);
  for (const RegistryValue& v : key.values())
    if (v.type == REG_SZ) out[v.name] = std::string(v.data.c_str());
  return out;
}

std::string DirectKeyClass() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDirect, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  char cls[128];
  DWORD len = sizeof cls;
  LONG r = RegQueryInfoKeyA(key, cls, &len, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr);
  RegCloseKey(key);
  return r == ERROR_SUCCESS ? std::string(cls, len) : "<error>";
}

StoreGuard::StoreGuard() {
  direct_ = SavedRegistryKey(HKEY_CURRENT_USER, kDirect);
  // The library reads the 32-bit view; a 64-bit process names it outright.
  general_ = SavedRegistryKey(HKEY_LOCAL_MACHINE, sizeof(void*) == 8 ? "Software\\Wow6432Node\\Korvane Corp\\Lexora9.0\\General" : kGeneral);
  RegDeleteKeyA(HKEY_CURRENT_USER, kDirect);

  iniExisted_ = GetFileAttributesA(IniPath().c_str()) != INVALID_FILE_ATTRIBUTES;
  if (iniExisted_) iniContent_ = ReadFile(IniPath());
  DeleteFileA(IniPath().c_str());

  capture_ = TempName("mlm");
  DeleteFileA(capture_.c_str());
  SetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", capture_.c_str());
}

StoreGuard::~StoreGuard() {
  direct_.Restore();
  general_.Restore();
  DeleteFileA(IniPath().c_str());
  if (iniExisted_) {
    std::ofstream out(IniPath(), std::ios::binary);
    out << iniContent_;
  }
  DeleteFileA(capture_.c_str());
}

void StoreGuard::WriteIni(const std::string& content) {
  std::ofstream out(IniPath(), std::ios::binary);
  out << content;
}

void StoreGuard::RemoveIni() { DeleteFileA(IniPath().c_str()); }

std::vector<Captured> StoreGuard::Messages() const {
  std::vector<Captured> out;
  std::stringstream ss(ReadFile(capture_));
  std::string line;
  while (std::getline(ss, line)) {
    Captured c;
    size_t a = line.find('|'), b = line.find('|', a + 1), d = line.find('|', b + 1);
    if (a == std::string::npos || b == std::string::npos || d == std::string::npos) continue;
    c.id = std::stoi(line.substr(0, a));
    c.language = std::stoi(line.substr(a + 1, b - a - 1));
    c.caption = line.substr(b + 1, d - b - 1);
    c.text = line.substr(d + 1);
    out.push_back(c);
  }
  return out;
}
