#include "components/mp3enc/id3v2_tag.h"

#include <string>

namespace {

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// Tag sizes are "synchsafe": 7 bits per byte.
void PutSynchsafe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 21; shift >= 0; shift -= 7) out.push_back(uint8_t((v >> shift) & 0x7F));
}

std::wstring Cut(const std::wstring& text) {
  if (text.size() <= kId3MaxTextChars) return text;
  size_t n = kId3MaxTextChars;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;  // keep pairs whole
  return text.substr(0, n);
}

// wchar_t is UTF-16 on Windows, UTF-32 where the native tests run.
std::u16string ToUtf16(const std::wstring& text) {
  std::u16string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    const uint32_t v = uint32_t(c);
    if (v > 0x10FFFF) {
      out.push_back(0xFFFD);
    } else if (v > 0xFFFF) {
      out.push_back(char16_t(0xD800 + ((v - 0x10000) >> 10)));
      out.push_back(char16_t(0xDC00 + ((v - 0x10000) & 0x3FF)));
    } else {
      out.push_back(char16_t(v));
    }
  }
  return out;
}

void PutTextFrame(std::vector<uint8_t>& out, const char id[4], const std::wstring& text) {
  if (text.empty()) return;
  const std::u16string t = ToUtf16(Cut(text));
  // Encoding 1 (UTF-16 with BOM), the BOM, the text, a 16-bit terminator.
  const uint32_t size = uint32_t(1 + 2 + 2 * t.size() + 2);
  out.insert(out.end(), id, id + 4);
  PutBigEndian32(out, size);
  out.push_back(0);
  out.push_back(0);
  out.push_back(1);
  out.push_back(0xFF);
  out.push_back(0xFE);
  for (char16_t u : t) {
    out.push_back(uint8_t(u & 0xFF));
    out.push_back(uint8_t(u >> 8));
  }
  out.push_back(0);
  out.push_back(0);
}

bool IsFourDigits(const std::wstring& s) {
  if (s.size() != 4) return false;
  for (wchar_t c : s)
    if (c < L'0' || c > L'9') return false;
  return true;
}

}  // namespace

std::vector<uint8_t> BuildId3v2Tag(const Mp3Tags& tags) {
  std::vector<uint8_t> frames;
  if (tags.track > 0) {
    std::wstring trck = std::to_wstring(tags.track);
    if (tags.trackCount > 0) trck += L"/" + std::to_wstring(tags.trackCount);
    PutTextFrame(frames, "TRCK", trck);
  }
  PutTextFrame(frames, "TIT2", tags.title);
  PutTextFrame(frames, "TPE1", tags.artist);
  PutTextFrame(frames, "TALB", tags.album);
  // TYER holds exactly four digits; anything else would make a bad frame.
  if (IsFourDigits(tags.year)) PutTextFrame(frames, "TYER", tags.year);
  // A leading "(" would be read as a numeric genre reference; "((" escapes it.
  std::wstring genre = tags.genre;
  if (!genre.empty() && genre[0] == L'(') genre.insert(genre.begin(), L'(');
  PutTextFrame(frames, "TCON", genre);
  if (frames.empty()) return {};

  std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
  PutSynchsafe32(tag, uint32_t(frames.size()));
  tag.insert(tag.end(), frames.begin(), frames.end());
  return tag;
}
