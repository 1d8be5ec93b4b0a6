#include "components/accuraterip/ar_answer.h"

namespace {

constexpr size_t kHeaderBytes = 13;
constexpr size_t kEntryBytes = 9;

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

bool ArParseAnswer(const uint8_t* data, size_t size, const ArDiscIds& disc, std::vector<ArChunk>& chunks,
                   std::wstring& error) {
  chunks.clear();
  error.clear();
  const auto fail = [&](const wchar_t* why) {
    chunks.clear();
    error = std::wstring(L"The AccurateRip database's answer ") + why;
    return false;
  };
  if (size == 0) return fail(L"is empty.");
  if (size > kArMaxAnswerBytes) return fail(L"is larger than 1 MiB.");
  size_t pos = 0;
  while (pos < size) {
    if (size - pos < kHeaderBytes) return fail(L"is cut short.");
    const uint8_t* h = data + pos;
    const size_t tracks = h[0];
    const uint32_t id1 = Le32(h + 1), id2 = Le32(h + 5), id3 = Le32(h + 9);
    if (tracks == 0 || tracks != static_cast<size_t>(disc.audioTracks) || id1 != disc.id1 || id2 != disc.id2 || id3 != disc.id3)
      return fail(L"is not for this disc or is garbled.");
    pos += kHeaderBytes;
    if (size - pos < tracks * kEntryBytes) return fail(L"is cut short.");
    ArChunk chunk;
    chunk.id1 = id1;
    chunk.id2 = id2;
    chunk.id3 = id3;
    chunk.tracks.resize(tracks);
    for (auto& e : chunk.tracks) {
      e.confidence = data[pos];
      e.checksum = Le32(data + pos + 1);
      e.frame450 = Le32(data + pos + 5);
      pos += kEntryBytes;
    }
    chunks.push_back(std::move(chunk));
  }
  return true;
}
