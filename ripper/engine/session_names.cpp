#include "ripper/engine/session_names.h"

#include "ripper/engine/mp3_encoder.h"

std::wstring NumberText(long long n) {
  if (n < 0) return L"-" + NumberText(-n);
  std::wstring s = std::to_wstring(n);
  return s.size() < 2 ? L"0" + s : s;
}

std::wstring JoinOutputPath(const std::wstring& folder, const std::wstring& name) {
  return folder.size() == 3 ? folder + name : folder + L"\\" + name;
}

std::wstring LogFilePath(const std::wstring& folder) { return JoinOutputPath(folder, L"trackforge.log"); }

std::wstring WavFilePath(const std::wstring& folder, const std::wstring& prefix, int track) {
  return JoinOutputPath(folder, prefix + NumberText(track) + L".wav");
}

std::wstring Mp3FilePath(const std::wstring& folder, const std::wstring& prefix, int track) {
  return JoinOutputPath(folder, prefix + NumberText(track) + L".mp3");
}

std::wstring Mp3FilePathFromTitle(const std::wstring& folder, int track, const std::wstring& title) {
  return JoinOutputPath(folder, NumberText(track) + L" - " + title + L".mp3");
}

bool Mp3PathFits(const std::wstring& mp3Path) {
  const size_t slash = mp3Path.find_last_of(L"\\/");
  const size_t name = slash == std::wstring::npos ? mp3Path.size() : mp3Path.size() - slash - 1;
  // 259: MAX_PATH less its terminating NUL.
  return mp3Path.size() + kMp3TempSuffixChars <= 259 && name + kMp3TempSuffixChars <= 255;
}
