// Files for the Windows tests: the folder the test programs run from, a
// scratch folder, whole-file reads and writes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The build's bin folder (where this program runs from), no trailing
// backslash; BinDirA ends in one, as its callers append bare names.
std::wstring BinDir();
std::string BinDirA();

// A fresh folder under %TEMP%: prefix, process id and a serial number.
std::wstring NewTempFolder(const std::wstring& prefix);
// Deletes the folder's files (read-only ones too) and empty subfolders,
// then the folder.
void RemoveFolder(const std::wstring& dir);

// A fresh folder under %TEMP%, removed with its files by the destructor.
struct ScratchDir {
  explicit ScratchDir(const std::wstring& prefix = L"wqtest-");
  ~ScratchDir() { RemoveFolder(path); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::wstring path;
  std::wstring File(const std::wstring& name) const { return path + L"\\" + name; }
};

// Whole file; empty when it cannot be opened (see ReadWholeFile).
std::string ReadAll(const std::wstring& path);
std::vector<uint8_t> ReadBytes(const std::wstring& path);
bool WriteAll(const std::wstring& path, const void* data, size_t size);
inline bool WriteAll(const std::wstring& path, const std::string& text) {
  return WriteAll(path, text.data(), text.size());
}
inline bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  return WriteAll(path, bytes.data(), bytes.size());
}
bool Exists(const std::wstring& path);
// Names in the folder, without "." and "..".
std::vector<std::wstring> FolderNames(const std::wstring& dir);
