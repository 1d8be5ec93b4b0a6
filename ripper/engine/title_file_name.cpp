#include "ripper/engine/title_file_name.h"

#include "ripper/engine/session_names.h"

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsForbidden(wchar_t c) {
  return c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' ||
         c == L'<' || c == L'>' || c == L'|';
}

}  // namespace

std::wstring SafeTitleText(const std::wstring& title) {
  std::wstring out = title;
  for (size_t i = 0; i < out.size(); ++i) {
    wchar_t& c = out[i];
    if (IsForbidden(c)) {
      c = L'_';
    } else if (IsHighSurrogate(c)) {
      if (i + 1 < out.size() && IsLowSurrogate(out[i + 1]))
        ++i;  // a pair stays as it is
      else
        c = 0xFFFD;
    } else if (IsLowSurrogate(c)) {
      c = 0xFFFD;
    }
  }
  return out;
}

std::wstring TitleMp3FileName(int track, const std::wstring& title, size_t maxChars) {
  // The name starts with the number and ends in ".mp3": neither a device
  // name (CON, NUL, COM1, ...) nor a trailing dot or blank can come out,
  // and with the separators gone it cannot be "." or "..".
  const std::wstring head = NumberText(track) + L" - ";
  const std::wstring tail = L".mp3";
  std::wstring safe = SafeTitleText(title);
  const size_t fixed = head.size() + tail.size();
  const size_t room = maxChars > fixed ? maxChars - fixed : 0;
  if (safe.size() > room) {
    size_t cut = room;
    if (cut > 0 && IsHighSurrogate(safe[cut - 1])) --cut;
    safe.resize(cut);
  }
  return head + safe + tail;
}

std::wstring TitleMp3Path(const std::wstring& folder, int track, const std::wstring& title) {
  const size_t folderChars = JoinOutputPath(folder, L"").size();
  size_t room = kMaxMp3PathChars > folderChars ? kMaxMp3PathChars - folderChars : 0;
  if (room > kMaxFileNameChars) room = kMaxFileNameChars;
  return JoinOutputPath(folder, TitleMp3FileName(track, title, room));
}
