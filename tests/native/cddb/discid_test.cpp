// Disc ID arithmetic against published worked examples:
//  - the one-track disc of 3610 s in "Example calculation of a CDDB1 (FreeDB)
//    disc ID" (Wikipedia, CDDB article): 020e1a01;
//  - the 16-track disc of the freedb CDDBP session transcript (offsets 150 ...
//    238280, disc length 3342 s): f00d0c10;
//  - the 10-track disc with its digit-sum table (offsets 150 ... 145954,
//    2260 s): 6808d20a.
// The algorithm is the CDDB howto's Appendix A (cddb_sum, n % 0xff).
#include <gtest/gtest.h>

#include "components/cddb/cddb_discid.h"

namespace {

// Absolute frame offsets (with the 150-frame lead-in) as published, the
// lead-out given by the disc length in seconds.
DiscToc FromPublished(std::vector<uint32_t> frames, uint32_t discSeconds) {
  DiscToc t;
  for (uint32_t f : frames) t.trackStartLba.push_back(f - kCddbLeadInFrames);
  t.leadOutLba = discSeconds * kCddbFramesPerSecond - kCddbLeadInFrames;
  return t;
}

TEST(CddbDiscId, PublishedExamples) {
  EXPECT_EQ(CddbDiscIdHex(CddbDiscId(FromPublished({150}, 3612))), "020e1a01");
  const DiscToc sixteen = FromPublished({150, 20972, 36331, 50117, 69524, 86255, 101371, 112896, 131608,
                                         138844, 157390, 174137, 193697, 208667, 224774, 238280},
                                        3342);
  EXPECT_EQ(CddbDiscIdHex(CddbDiscId(sixteen)), "f00d0c10");
  EXPECT_EQ(CddbQueryCommand(sixteen),
            "cddb query f00d0c10 16 150 20972 36331 50117 69524 86255 101371 112896 131608 138844 157390 "
            "174137 193697 208667 224774 238280 3342");
  const DiscToc ten =
      FromPublished({150, 15095, 28530, 40556, 60479, 81952, 100762, 112675, 128656, 145954}, 2260);
  EXPECT_EQ(CddbDiscIdHex(CddbDiscId(ten)), "6808d20a");
}

TEST(CddbDiscId, DigitSumAndModulo255) {
  EXPECT_EQ(CddbDigitSum(0), 0u);
  EXPECT_EQ(CddbDigitSum(1946), 20u);
  EXPECT_EQ(CddbDigitSum(4294967295u), 57u);
  // Starts whose digit sums add up to exactly 255: the checksum byte must
  // wrap to 0 (mod 255, not 256).
  DiscToc t;
  uint32_t sum = 0;
  for (uint32_t s = 2; t.trackStartLba.size() < 99 && sum < 255; ++s) {
    const uint32_t d = CddbDigitSum(s);
    if (sum + d > 255) continue;
    sum += d;
    t.trackStartLba.push_back(s * 75 - kCddbLeadInFrames);
  }
  ASSERT_EQ(sum, 255u);
  t.leadOutLba = t.trackStartLba.back() + 75 * 60;
  EXPECT_EQ(CddbDiscId(t) >> 24, 0u);
}

TEST(CddbDiscId, FramesWithinASecondDoNotCount) {
  DiscToc a = FromPublished({150, 15095}, 2260);
  DiscToc b = a;
  b.trackStartLba[1] += 10;  // 15105: still second 201
  EXPECT_EQ(CddbDiscId(a), CddbDiscId(b));
}

TEST(CddbDiscId, UnusableTocsAreRefused) {
  std::string why;
  DiscToc t;
  EXPECT_FALSE(CddbTocUsable(t, why));
  t.trackStartLba = {0, 1000, 900};
  t.leadOutLba = 5000;
  EXPECT_FALSE(CddbTocUsable(t, why));
  t.trackStartLba = {0, 1000};
  t.leadOutLba = 1000;
  EXPECT_FALSE(CddbTocUsable(t, why));
  t.leadOutLba = 0xFFFFFFFFu;
  EXPECT_FALSE(CddbTocUsable(t, why));
  t.trackStartLba.assign(100, 0);
  for (size_t i = 0; i < 100; ++i) t.trackStartLba[i] = static_cast<uint32_t>(i * 100);
  t.leadOutLba = 20000;
  EXPECT_FALSE(CddbTocUsable(t, why));
  t.trackStartLba.resize(99);
  EXPECT_TRUE(CddbTocUsable(t, why)) << why;
}

}  // namespace
