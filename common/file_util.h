// Files of the tools and test programs: the folder they run from, where one
// build's programs find each other, and whole small files they hand over.
#pragma once

#include <windows.h>

#include <string>

// The folder of this program's executable, with its trailing backslash.
template <typename Char>
std::basic_string<Char> ExeFolder() {
  Char path[MAX_PATH] = {};
  DWORD n;
  if constexpr (sizeof(Char) == 1)
    n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  else
    n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::basic_string<Char> s(path, n);
  return s.substr(0, s.find_last_of(Char('\\')) + 1);
}

// The whole file, empty when it cannot be opened. Full sharing, so that a
// file another process still writes can be read.
inline std::string ReadWholeFile(const std::wstring& path) {
  std::string out;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(f);
  return out;
}
