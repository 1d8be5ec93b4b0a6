// The database's disc IDs: the published Enhanced CD example, a mixed-mode
// disc worked out by hand below, and the answer file's path.
#include <gtest/gtest.h>

#include "components/accuraterip/ar_discid.h"

namespace {

// TOC LBAs count from the program area: absolute LBA - 150.
DiscToc Absolute(std::vector<uint32_t> lbas, uint32_t leadOut, std::vector<int> listed = {}) {
  DiscToc t;
  for (uint32_t l : lbas) t.trackStartLba.push_back(l - 150);
  t.leadOutLba = leadOut - 150;
  t.listedTracks = std::move(listed);
  return t;
}

std::string Name(const DiscToc& toc) {
  ArDiscIds ids;
  std::string why;
  EXPECT_TRUE(ArComputeDiscIds(toc, ids, why)) << why;
  return ArDiscName(ids);
}

const std::vector<uint32_t> kEnhancedAudio = {150,    12767,  40487,  63225,  93410,
                                              118115, 151865, 184340, 215260, 247455};

TEST(ArDiscIds, EnhancedCdKeepsTheTrueLeadOutButNotTheDataTrack) {
  auto lbas = kEnhancedAudio;
  lbas.push_back(281735);  // the data track
  const DiscToc toc = Absolute(lbas, 333801, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(Name(toc), "dBAR-010-00164419-00b9f6e2-9e11600b");
  ArDiscIds ids;
  std::string why;
  ASSERT_TRUE(ArComputeDiscIds(toc, ids, why));
  EXPECT_EQ(ArAnswerPath(ids), "9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin");
  EXPECT_EQ(ArAnswerObject(kArDefaultServer, ids), L"/accuraterip/9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin");
  EXPECT_EQ(ArAnswerObject(L"http://127.0.0.1:8080", ids), L"/9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin");
  EXPECT_EQ(ArAnswerObject(L"http://127.0.0.1:8080/ok/ar/", ids),
            L"/ok/ar/9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin");
  // The end of the audio as lead-out is the known wrong answer, and the
  // formula must give exactly that for it.
  EXPECT_EQ(Name(Absolute(kEnhancedAudio, 270335)), "dBAR-010-00154c2f-00af4fd4-890e120a");
}

TEST(ArDiscIds, MixedModeDropsTheLeadingDataTrackAndCountsAudioFromOne) {
  // Data at 0, audio at 4500, 13500, 22500 (program-area LBAs), lead-out 30000.
  //   id1 = 4500 + 13500 + 22500 + 30000           = 70500  = 0x00011364
  //   id2 = 4500*1 + 13500*2 + 22500*3 + 30000*4   = 219000 = 0x00035778
  //   id3 = CDDB ID over all four tracks: seconds 2, 62, 182, 302 -> digit
  //         sums 26 (0x1a), length 402-2 = 400 (0x190), 4 tracks
  DiscToc toc;
  toc.trackStartLba = {0, 4500, 13500, 22500};
  toc.listedTracks = {2, 3, 4};
  toc.leadOutLba = 30000;
  EXPECT_EQ(Name(toc), "dBAR-003-00011364-00035778-1a019004");
}

TEST(ArDiscIds, RefusesTocsItCannotName) {
  ArDiscIds ids;
  std::string why;
  EXPECT_FALSE(ArComputeDiscIds(DiscToc{}, ids, why));
  EXPECT_FALSE(why.empty());
  DiscToc toc;
  toc.trackStartLba = {0, 5000};
  toc.leadOutLba = 9000;
  toc.listedTracks = {1, 3};  // no third track
  why.clear();
  EXPECT_FALSE(ArComputeDiscIds(toc, ids, why));
  EXPECT_FALSE(why.empty());
  toc.listedTracks = {2, 1};
  toc.leadOutLba = 4000;  // before the last start
  EXPECT_FALSE(ArComputeDiscIds(toc, ids, why));
}

}  // namespace
