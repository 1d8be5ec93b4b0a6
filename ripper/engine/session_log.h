// The session log: a text file in the ANSI code page, opened for appending,
// one whole CR LF line per write.
#pragma once
#include <windows.h>

#include <string>

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
