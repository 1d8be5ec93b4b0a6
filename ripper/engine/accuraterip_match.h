// Matching a ripped track's checksums against the AccurateRip database's
// answer, and finding the read-offset shift its sector-450 checksums
// point to.
#pragma once
#include <cstdint>
#include <vector>

#include "ripper/engine/accuraterip_db.h"

struct ArTrackVerdict {
  bool inDatabase = false;  // some chunk holds an entry for the track
  bool matched = false;
  int confidence = 0;            // summed over the chunks that match
  uint32_t matchedChecksum = 0;  // v2 when a chunk held it, else v1
  bool matchedV2 = false;
  std::vector<uint32_t> heldChecksums;  // distinct, in the answer's order
};

// track is 1-based among the disc's audio tracks.
ArTrackVerdict VerifyTrack(const ArLookupResult& result, int track, uint32_t v1, uint32_t v2);

// The shifts s (-2939..2939, ascending) at which some chunk's sector-450
// checksum for the track equals frame450ByShift[s + 2939]; a match at s
// means the correction should have been C + s. Empty when the vector is
// not the full 2*2939+1 long.
std::vector<int32_t> MatchingShifts(const ArLookupResult& result, int track,
                                    const std::vector<uint32_t>& frame450ByShift);
