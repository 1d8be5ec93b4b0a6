// What the session says about one ripped track when secure reading or
// verification is on, and the read offset it proposes at the end.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ripper/engine/accuraterip_db.h"
#include "ripper/engine/rip_options.h"

struct TrackReport {
  std::vector<std::wstring> lines;
  bool accurate = false;  // the database holds one of its checksums
  // Not accurate, yet sector 450 matches the database at these shifts
  // (samples, never 0).
  std::vector<int32_t> shifts;
};

// lookup: the disc's lookup, null when none was made. readOk: this track's
// read ended with ReadDone and left audio, so proof is its own.
TrackReport ReportTrack(const RipOptions& options, const ArLookupResult* lookup, int track, bool readOk,
                        const TrackProof& proof);

// When no track was accurate: the correction most tracks' shifts agree on
// (the nearer one on a tie), as setOffset + shift. False when none.
bool ProposeOffset(int32_t setOffset, const std::vector<TrackReport>& reports, int32_t& offset);
