// What the stand-in programs share: their logs, one formatted line appended
// per call (the file opened and closed each time, so that a test can read
// it while the program runs), and the end of their window procedures.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

// Text past maxText characters is cut; eol ends the line.
inline void AppendLogLine(const std::string& path, size_t maxText, const char* eol, const char* format,
                          va_list args) {
  std::string line(maxText + 1, '\0');
  int n = std::vsnprintf(line.data(), line.size(), format, args);
  if (n < 0) return;
  line.resize(std::min(static_cast<size_t>(n), maxText));
  line += eol;
  HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}

// A stand-in ends with its window.
inline LRESULT StandInWindowDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
