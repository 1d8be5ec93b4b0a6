#include "ripper/engine/session_log.h"

bool SessionLog::Open(const std::wstring& path) {
  Close();
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end,
  // whatever else has the file open.
  file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file_ != INVALID_HANDLE_VALUE;
}

bool SessionLog::WriteLine(const std::wstring& line) {
  if (!IsOpen()) return false;
  std::string bytes = ToAnsi(line);
  bytes += "\r\n";
  DWORD written = 0;
  return WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

void SessionLog::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring UserShortDate(const SYSTEMTIME& at) {
  wchar_t buf[128];
  int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &at, nullptr, buf, 128);
  return n > 0 ? std::wstring(buf) : std::wstring();
}

std::wstring UserTime(const SYSTEMTIME& at) {
  wchar_t buf[128];
  int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, nullptr, buf, 128);
  return n > 0 ? std::wstring(buf) : std::wstring();
}

std::wstring UserShortDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return UserShortDate(now);
}

std::wstring UserTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return UserTime(now);
}

long long DiskSessionFiles::FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                data.nFileSizeLow);
}

struct BackgroundCloser::Item {
  BackgroundCloser* owner;
  HANDLE handle;
};

void BackgroundCloser::Wait() {
  AcquireSRWLockExclusive(&lock_);
  while (pending_ > 0) SleepConditionVariableSRW(&done_, &lock_, INFINITE, 0);
  ReleaseSRWLockExclusive(&lock_);
}

void CALLBACK BackgroundCloser::Run(PTP_CALLBACK_INSTANCE, void* context) {
  auto* item = static_cast<Item*>(context);
  CloseHandle(item->handle);
  BackgroundCloser* owner = item->owner;
  delete item;
  AcquireSRWLockExclusive(&owner->lock_);
  --owner->pending_;
  WakeAllConditionVariable(&owner->done_);
  ReleaseSRWLockExclusive(&owner->lock_);
}

void BackgroundCloser::Close(HANDLE h) {
  AcquireSRWLockExclusive(&lock_);
  ++pending_;
  ReleaseSRWLockExclusive(&lock_);
  auto* item = new Item{this, h};
  if (TrySubmitThreadpoolCallback(Run, item, nullptr)) return;
  delete item;
  CloseHandle(h);
  AcquireSRWLockExclusive(&lock_);
  --pending_;
  ReleaseSRWLockExclusive(&lock_);
}

bool DiskSessionFiles::Delete(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
  }
  FILE_DISPOSITION_INFO gone{TRUE};
  if (!SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone)) {
    CloseHandle(h);
    return false;
  }
  closer_.Close(h);
  return true;
}
