#include "components/cdreader/win_files.h"

namespace cdr {

std::wstring SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring s;
  if (n && text) s.assign(text, n);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ' || s.back() == L'.'))
    s.pop_back();
  if (s.empty()) s = L"system error " + std::to_wstring(code);
  return s;
}

std::wstring DecodeSheetText(const std::string& bytes) {
  if (bytes.empty()) return {};
  for (UINT cp : {UINT(CP_UTF8), UINT(CP_ACP)}) {
    DWORD flags = cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    int n = MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) continue;
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(cp, flags, bytes.data(), int(bytes.size()), w.data(), n);
    return w;
  }
  return std::wstring(bytes.begin(), bytes.end());
}

std::unique_ptr<Win32ImageFile> Win32ImageFile::Open(const std::wstring& path, uint64_t& size,
                                                     std::wstring& error) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = L"Cannot open image file " + path + L": " + SystemMessage(GetLastError());
    return nullptr;
  }
  LARGE_INTEGER li;
  if (!GetFileSizeEx(h, &li)) {
    error = L"Cannot read image file " + path + L": " + SystemMessage(GetLastError());
    CloseHandle(h);
    return nullptr;
  }
  size = uint64_t(li.QuadPart);
  return std::unique_ptr<Win32ImageFile>(new Win32ImageFile(h));
}

Win32ImageFile::~Win32ImageFile() { CloseHandle(h_); }

bool Win32ImageFile::ReadAt(uint64_t offset, uint8_t* out, size_t bytes, std::wstring& error) {
  while (bytes) {
    OVERLAPPED ov{};
    ov.Offset = DWORD(offset);
    ov.OffsetHigh = DWORD(offset >> 32);
    DWORD want = bytes > 0x100000 ? 0x100000 : DWORD(bytes), got = 0;
    if (!ReadFile(h_, out, want, &got, &ov)) {
      error = SystemMessage(GetLastError());
      return false;
    }
    if (got == 0) {
      error = L"the image file ends early";
      return false;
    }
    out += got;
    offset += got;
    bytes -= got;
  }
  return true;
}

std::unique_ptr<Win32WavSink> Win32WavSink::Create(const std::wstring& path, std::wstring& error) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = L"Cannot create file " + path + L": " + SystemMessage(GetLastError());
    return nullptr;
  }
  return std::unique_ptr<Win32WavSink>(new Win32WavSink(h, path));
}

bool Win32WavSink::Append(const uint8_t* data, size_t bytes, std::wstring& error) {
  while (bytes) {
    DWORD want = bytes > 0x100000 ? 0x100000 : DWORD(bytes), put = 0;
    if (!WriteFile(h_, data, want, &put, nullptr) || put == 0) {
      error = L"Cannot write file " + path_ + L": " + SystemMessage(GetLastError());
      return false;
    }
    data += put;
    bytes -= put;
  }
  return true;
}

bool Win32WavSink::RewriteHeader(const uint8_t* header, size_t bytes, std::wstring& error) {
  LARGE_INTEGER zero{}, back{};
  if (!SetFilePointerEx(h_, zero, &back, FILE_CURRENT) || !SetFilePointerEx(h_, zero, nullptr, FILE_BEGIN)) {
    error = SystemMessage(GetLastError());
    return false;
  }
  bool ok = Append(header, bytes, error);
  SetFilePointerEx(h_, back, nullptr, FILE_BEGIN);
  return ok;
}

void Win32WavSink::Close() {
  if (h_ != INVALID_HANDLE_VALUE) {
    CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }
}

bool ReadSmallFile(const std::wstring& path, size_t limit, std::string& out, std::wstring& error) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = L"Cannot open " + path + L": " + SystemMessage(GetLastError());
    return false;
  }
  LARGE_INTEGER li{};
  GetFileSizeEx(h, &li);
  if (uint64_t(li.QuadPart) > limit) {
    CloseHandle(h);
    error = path + L" is too large for a CUE sheet";
    return false;
  }
  out.assign(size_t(li.QuadPart), '\0');
  DWORD got = 0;
  bool ok = out.empty() || (ReadFile(h, out.data(), DWORD(out.size()), &got, nullptr) && got == out.size());
  DWORD err = GetLastError();
  CloseHandle(h);
  if (!ok) {
    error = L"Cannot read " + path + L": " + SystemMessage(err);
    return false;
  }
  return true;
}

}  // namespace cdr
