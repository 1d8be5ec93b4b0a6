#include "tests/win/common/test_files.h"

#include "common/file_util.h"

std::wstring BinDir() {
  std::wstring dir = ExeFolder<wchar_t>();
  dir.pop_back();
  return dir;
}

std::string BinDirA() { return ExeFolder<char>(); }

std::wstring NewTempFolder(const std::wstring& prefix) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int serial = 0;
  std::wstring dir =
      std::wstring(tmp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

void RemoveFolder(const std::wstring& dir) {
  for (const std::wstring& name : FolderNames(dir)) {
    const std::wstring path = dir + L"\\" + name;
    // Tests make files read-only to see them refused; they go all the same.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.c_str());
  }
  RemoveDirectoryW(dir.c_str());
}

ScratchDir::ScratchDir(const std::wstring& prefix) : path(NewTempFolder(prefix)) {}

std::string ReadAll(const std::wstring& path) { return ReadWholeFile(path); }

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
  const std::string s = ReadAll(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

bool WriteAll(const std::wstring& path, const void* data, size_t size) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = WriteFile(f, data, DWORD(size), &put, nullptr) && put == size;
  CloseHandle(f);
  return ok;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FolderNames(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return names;
  do {
    if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) names.push_back(fd.cFileName);
  } while (FindNextFileW(f, &fd));
  FindClose(f);
  return names;
}
