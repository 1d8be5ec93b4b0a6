// Matching a track against the database's chunks, and the read-offset
// shifts its sector-450 checksums point to.
#include <gtest/gtest.h>

#include "ripper/engine/accuraterip_match.h"
#include "ripper/engine/cd_reader.h"

namespace {

ArLookupResult Found(std::vector<std::vector<ArEntry>> chunks) {
  ArLookupResult r;
  r.status = ArLookupStatus::Found;
  for (auto& t : chunks) {
    ArChunk c;
    c.tracks = std::move(t);
    r.chunks.push_back(std::move(c));
  }
  return r;
}

TEST(ArVerify, ConfidenceSumsOverTheChunksThatMatchEitherVersion) {
  const uint32_t v1 = 0x11111111, v2 = 0x22222222;
  const auto r = Found({{{9, 0xDEAD, 0}, {3, v2, 0}},    // pressing A: track 2 by v2
                        {{4, 0xBEEF, 0}, {7, v1, 0}},    // the same rip filed as v1
                        {{2, 0xF00D, 0}, {5, 0xAAAA, 0}}});  // another pressing
  const ArTrackVerdict t2 = VerifyTrack(r, 2, v1, v2);
  EXPECT_TRUE(t2.inDatabase);
  EXPECT_TRUE(t2.matched);
  EXPECT_EQ(t2.confidence, 10);
  EXPECT_TRUE(t2.matchedV2);
  EXPECT_EQ(t2.matchedChecksum, v2);

  const ArTrackVerdict v1Only = VerifyTrack(Found({{{6, v1, 0}}}), 1, v1, v2);
  EXPECT_TRUE(v1Only.matched);
  EXPECT_FALSE(v1Only.matchedV2);
  EXPECT_EQ(v1Only.matchedChecksum, v1);
  EXPECT_EQ(v1Only.confidence, 6);

  const ArTrackVerdict t1 = VerifyTrack(r, 1, v1, v2);
  EXPECT_TRUE(t1.inDatabase);
  EXPECT_FALSE(t1.matched);
  EXPECT_EQ(t1.confidence, 0);
  EXPECT_EQ(t1.heldChecksums, (std::vector<uint32_t>{0xDEAD, 0xBEEF, 0xF00D}));
}

TEST(ArVerify, TracksTheAnswerDoesNotHoldAreNotInTheDatabase) {
  const auto r = Found({{{5, 0x1234, 0}, {0, 0, 0}}});
  EXPECT_FALSE(VerifyTrack(r, 2, 0, 0).inDatabase);  // an all-zero entry: silence must not match it
  EXPECT_FALSE(VerifyTrack(r, 2, 0, 0).matched);
  EXPECT_FALSE(VerifyTrack(r, 3, 0x1234, 0).inDatabase);
  EXPECT_FALSE(VerifyTrack(r, 0, 0x1234, 0).matched);
  ArLookupResult missing = r;
  missing.status = ArLookupStatus::NotFound;
  EXPECT_FALSE(VerifyTrack(missing, 1, 0x1234, 0).inDatabase);
}

TEST(ArOffsetSearch, ReportsEveryShiftWhoseSector450ChecksumIsHeld) {
  std::vector<uint32_t> byShift(2 * kFrame450MaxShift + 1);
  for (size_t i = 0; i < byShift.size(); ++i) byShift[i] = 0x10000u + uint32_t(i);
  const uint32_t atPlus6 = byShift[6 + 2939], atMinus2939 = byShift[0], atPlus2939 = byShift.back();
  const auto r = Found({{{1, 5, 0}, {2, 9, atPlus6}}, {{1, 5, 0}, {3, 9, atMinus2939}}, {{0, 0, atPlus2939}}});
  EXPECT_EQ(MatchingShifts(r, 2, byShift), (std::vector<int32_t>{-2939, 6}));
  EXPECT_TRUE(MatchingShifts(r, 1, byShift).empty());  // zero proves nothing
  byShift.pop_back();
  EXPECT_TRUE(MatchingShifts(r, 2, byShift).empty());
}

}  // namespace
