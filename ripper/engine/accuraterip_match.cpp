#include "ripper/engine/accuraterip_match.h"

#include <algorithm>

#include "ripper/engine/cd_reader.h"

namespace {

// An all-zero entry is a pressing that does not have the track.
bool Present(const ArEntry& e) { return e.confidence != 0 || e.checksum != 0; }

const ArEntry* EntryOf(const ArChunk& c, int track) {
  if (track < 1 || static_cast<size_t>(track) > c.tracks.size()) return nullptr;
  const ArEntry& e = c.tracks[static_cast<size_t>(track) - 1];
  return Present(e) ? &e : nullptr;
}

}  // namespace

ArTrackVerdict VerifyTrack(const ArLookupResult& result, int track, uint32_t v1, uint32_t v2) {
  ArTrackVerdict v;
  if (result.status != ArLookupStatus::Found) return v;
  for (const ArChunk& c : result.chunks) {
    const ArEntry* e = EntryOf(c, track);
    if (!e) continue;
    v.inDatabase = true;
    if (std::find(v.heldChecksums.begin(), v.heldChecksums.end(), e->checksum) == v.heldChecksums.end())
      v.heldChecksums.push_back(e->checksum);
    const bool isV2 = e->checksum == v2;
    if (!isV2 && e->checksum != v1) continue;
    v.matched = true;
    v.confidence += e->confidence;
    if (isV2) v.matchedV2 = true;
  }
  if (v.matched) v.matchedChecksum = v.matchedV2 ? v2 : v1;
  return v;
}

std::vector<int32_t> MatchingShifts(const ArLookupResult& result, int track,
                                    const std::vector<uint32_t>& frame450ByShift) {
  std::vector<int32_t> shifts;
  if (result.status != ArLookupStatus::Found) return shifts;
  if (frame450ByShift.size() != static_cast<size_t>(2 * kFrame450MaxShift + 1)) return shifts;
  std::vector<uint32_t> held;
  for (const ArChunk& c : result.chunks) {
    const ArEntry* e = EntryOf(c, track);
    // Zero is also what silence gives at every shift: it proves nothing.
    if (e && e->frame450 != 0) held.push_back(e->frame450);
  }
  if (held.empty()) return shifts;
  for (int32_t s = -kFrame450MaxShift; s <= kFrame450MaxShift; ++s) {
    const uint32_t f = frame450ByShift[static_cast<size_t>(s + kFrame450MaxShift)];
    if (std::find(held.begin(), held.end(), f) != held.end()) shifts.push_back(s);
  }
  return shifts;
}
