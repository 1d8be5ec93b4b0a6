// The session's files on disk: the session log (a text file in the ANSI
// code page, opened for appending, one whole CR LF line per write), the WAV
// and MP3 files, and the user's date and time formats for the log.
#pragma once
#include <windows.h>

#include <string>

#include "ripper/engine/session_host.h"

class SessionLog {
 public:
  SessionLog() = default;
  SessionLog(const SessionLog&) = delete;
  SessionLog& operator=(const SessionLog&) = delete;
  ~SessionLog() { Close(); }

  // Creates the file when missing. False (and GetLastError set) on failure.
  bool Open(const std::wstring& path);
  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  // False when the log is closed or the write failed.
  bool WriteLine(const std::wstring& line);
  void Close();

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

// The current date in the user's short-date format and the current time in
// the user's time format.
std::wstring UserShortDate();
std::wstring UserTime();
// The same for a given moment (tests).
std::wstring UserShortDate(const SYSTEMTIME& at);
std::wstring UserTime(const SYSTEMTIME& at);

// Text in the system's ANSI code page, as the log stores it.
std::string ToAnsi(const std::wstring& text);

class DiskSessionFiles final : public SessionFiles {
 public:
  long long FileSize(const std::wstring& path) override;
  bool Delete(const std::wstring& path) override;
  bool OpenLog(const std::wstring& path) override { return log_.Open(path); }
  void WriteLogLine(const std::wstring& line) override { log_.WriteLine(line); }
  void CloseLog() override { log_.Close(); }
  std::wstring Date() override { return UserShortDate(); }
  std::wstring Time() override { return UserTime(); }

 private:
  SessionLog log_;
};
