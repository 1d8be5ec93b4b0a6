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

// Closes handles on a pool thread and waits for them all at its end.
class BackgroundCloser {
 public:
  BackgroundCloser() = default;
  BackgroundCloser(const BackgroundCloser&) = delete;
  BackgroundCloser& operator=(const BackgroundCloser&) = delete;
  ~BackgroundCloser() { Wait(); }
  void Close(HANDLE h);
  // Until every handle given is closed.
  void Wait();

 private:
  static void CALLBACK Run(PTP_CALLBACK_INSTANCE, void* context);
  struct Item;
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE done_ = CONDITION_VARIABLE_INIT;
  int pending_ = 0;
};

class DiskSessionFiles final : public SessionFiles {
 public:
  long long FileSize(const std::wstring& path) override;
  // A WAV file of a track is tens of MB, and giving its space back costs
  // milliseconds: the file is marked here, so that a refusal is known at
  // once, and goes when its handle is closed in the background, before the
  // log is closed.
  bool Delete(const std::wstring& path) override;
  bool OpenLog(const std::wstring& path) override { return log_.Open(path); }
  void WriteLogLine(const std::wstring& line) override { log_.WriteLine(line); }
  void CloseLog() override {
    closer_.Wait();
    log_.Close();
  }
  std::wstring Date() override { return UserShortDate(); }
  std::wstring Time() override { return UserTime(); }

 private:
  SessionLog log_;
  BackgroundCloser closer_;
};
