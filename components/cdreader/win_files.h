// Win32 file access for the reader: image files, the WAV being written,
// and the texts of system errors.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "components/cdreader/cd_device.h"
#include "components/cdreader/track_read.h"

namespace cdr {

// "<text of the error>" for a GetLastError() code, without the trailing
// line break; the number when the system has no text.
std::wstring SystemMessage(DWORD code);

// Sheet bytes to text: UTF-8 when valid, else the ANSI code page.
std::wstring DecodeSheetText(const std::string& bytes);

class Win32ImageFile : public ImageFile {
 public:
  static std::unique_ptr<Win32ImageFile> Open(const std::wstring& path, uint64_t& size, std::wstring& error);
  ~Win32ImageFile() override;
  bool ReadAt(uint64_t offset, uint8_t* out, size_t bytes, std::wstring& error) override;

 private:
  explicit Win32ImageFile(HANDLE h) : h_(h) {}
  HANDLE h_;
};

// Owns the WAV file's handle; the file is closed by Close() or destruction.
class Win32WavSink : public WavSink {
 public:
  static std::unique_ptr<Win32WavSink> Create(const std::wstring& path, std::wstring& error);
  ~Win32WavSink() override { Close(); }
  bool Append(const uint8_t* data, size_t bytes, std::wstring& error) override;
  bool RewriteHeader(const uint8_t* header, size_t bytes, std::wstring& error) override;
  void Close();

 private:
  Win32WavSink(HANDLE h, std::wstring path) : h_(h), path_(std::move(path)) {}
  HANDLE h_;
  std::wstring path_;
};

// Reads a whole small file (a CUE sheet). False with a reason.
bool ReadSmallFile(const std::wstring& path, size_t limit, std::string& out, std::wstring& error);

}  // namespace cdr
