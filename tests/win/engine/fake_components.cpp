#include "fake_components.h"

FakeHost::FakeHost() {
  folder = NewTempFolder(L"wq_session_");
  main = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 50, 500, 380, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

FakeHost::~FakeHost() {
  if (main) DestroyWindow(main);
  RemoveFolder(folder);
}

void FakeHost::PutFile(const std::wstring& path, long long bytes) {
  WriteBytes(path, static_cast<long>(bytes));
}

int FakeHost::TrackListSelectedCount() {
  int n = 0;
  for (bool b : selected) n += b ? 1 : 0;
  return n;
}

long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
  return static_cast<long>(d.nFileSizeLow);
}

bool WriteBytes(const std::wstring& path, long bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string data(static_cast<size_t>(bytes), 'w');
  DWORD n = 0;
  BOOL ok = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
  CloseHandle(f);
  return ok && n == data.size();
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      out.push_back(text.substr(at));  // an unterminated line shows up as such
      break;
    }
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}
