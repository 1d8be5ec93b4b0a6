#include "ripper/engine/verify_report.h"

#include <cstdlib>
#include <map>

#include "ripper/engine/accuraterip_match.h"
#include "ripper/engine/verify_lines.h"

namespace {

void AddSecureLines(TrackReport& r, int track, const TrackProof& p) {
  if (!p.secure) return;
  r.lines.push_back(SecureReadLine(track, p.testCrc, p.crc, p.rereads, p.suspiciousSamples.size()));
  for (uint32_t s : p.suspiciousSamples) r.lines.push_back(SuspiciousLine(track, s));
}

void AddVerdict(TrackReport& r, const ArLookupResult* lookup, int track, const TrackProof& p) {
  if (!lookup || lookup->status == ArLookupStatus::Failed || lookup->status == ArLookupStatus::None ||
      lookup->status == ArLookupStatus::Aborted) {
    r.lines.push_back(NotVerifiedLine(track, p.arV1, p.arV2, L"the AccurateRip lookup failed"));
    return;
  }
  if (lookup->status == ArLookupStatus::NotFound) {
    r.lines.push_back(NotInDatabaseLine(track, p.arV1, p.arV2));
    return;
  }
  const ArTrackVerdict v = VerifyTrack(*lookup, track, p.arV1, p.arV2);
  if (v.matched) {
    r.accurate = true;
    r.lines.push_back(AccurateLine(track, v.confidence, v.matchedV2, v.matchedChecksum));
    return;
  }
  if (!v.inDatabase) {
    r.lines.push_back(NotInDatabaseLine(track, p.arV1, p.arV2));
    return;
  }
  r.lines.push_back(NotAccurateLine(track, p.arV1, p.arV2, v.heldChecksums));
  if (!p.frame450ByShift.empty())
    for (int32_t s : MatchingShifts(*lookup, track, p.frame450ByShift))
      if (s != 0) r.shifts.push_back(s);
}

}  // namespace

TrackReport ReportTrack(const RipOptions& options, const ArLookupResult* lookup, int track, bool readOk,
                        const TrackProof& proof) {
  TrackReport r;
  if (!options.AnyCheck()) return r;
  if (!readOk || !proof.valid) {
    r.lines.push_back(NotVerifiedReadFailedLine(track));
    return r;
  }
  if (options.read.secure) AddSecureLines(r, track, proof);
  if (options.verify) AddVerdict(r, lookup, track, proof);
  return r;
}

bool ProposeOffset(int32_t setOffset, const std::vector<TrackReport>& reports, int32_t& offset) {
  std::map<int32_t, int> votes;
  for (const TrackReport& r : reports) {
    if (r.accurate) return false;
    // One vote per track, even when a track matches at several shifts.
    std::map<int32_t, bool> seen;
    for (int32_t s : r.shifts)
      if (!seen[s]) {
        seen[s] = true;
        ++votes[s];
      }
  }
  bool found = false;
  int32_t best = 0;
  for (const auto& [shift, n] : votes) {
    if (!found || n > votes[best] || (n == votes[best] && std::abs(shift) < std::abs(best))) best = shift;
    found = true;
  }
  if (found) offset = setOffset + best;
  return found;
}
