// The database's answer parser on any bytes: it either rebuilds exactly the
// bytes it was given from its chunks, or refuses with one line and nothing.
// The disc it expects is taken from the first chunk's header, so that most
// inputs get past the header check.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "components/accuraterip/ar_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ArDiscIds disc;
  if (size >= 13) {
    disc.audioTracks = data[0];
    disc.id1 = uint32_t(data[1]) | uint32_t(data[2]) << 8 | uint32_t(data[3]) << 16 | uint32_t(data[4]) << 24;
    disc.id2 = uint32_t(data[5]) | uint32_t(data[6]) << 8 | uint32_t(data[7]) << 16 | uint32_t(data[8]) << 24;
    disc.id3 = uint32_t(data[9]) | uint32_t(data[10]) << 8 | uint32_t(data[11]) << 16 | uint32_t(data[12]) << 24;
  }
  std::vector<ArChunk> chunks;
  std::wstring error;
  if (!ArParseAnswer(data, size, disc, chunks, error)) {
    if (!chunks.empty() || error.empty() || error.find(L'\n') != std::wstring::npos) std::abort();
    return 0;
  }
  if (chunks.empty() || !error.empty()) std::abort();
  std::vector<uint8_t> again;
  const auto put = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) again.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  for (const ArChunk& c : chunks) {
    if (c.tracks.size() != static_cast<size_t>(disc.audioTracks) || c.tracks.empty()) std::abort();
    again.push_back(static_cast<uint8_t>(c.tracks.size()));
    put(c.id1);
    put(c.id2);
    put(c.id3);
    for (const ArEntry& e : c.tracks) {
      again.push_back(e.confidence);
      put(e.checksum);
      put(e.frame450);
    }
  }
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
  return 0;
}
