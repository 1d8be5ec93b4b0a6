// The images discimage writes are read back by the reader's own CUE code
// with the track positions the tool prints.
#include <gtest/gtest.h>

#include <cstring>

#include "components/cddb/cddb_discid.h"
#include "components/cdreader/cue_sheet.h"
#include "tools/discimage/image_plan.h"

namespace {

cdr::ImageLayout LayoutOf(const discimage::Plan& plan) {
  cdr::CueSheet sheet;
  std::wstring err;
  EXPECT_TRUE(cdr::ParseCueSheet(discimage::CueText(plan), sheet, err));
  std::vector<uint64_t> sizes(plan.files.size(), 0);
  for (const auto& t : plan.tracks)
    sizes[t.file] += uint64_t(t.pregapFrames + t.audioFrames) * discimage::kFrameBytes;
  cdr::ImageLayout layout;
  EXPECT_TRUE(cdr::BuildImageLayout(sheet, sizes, layout, err));
  return layout;
}

}  // namespace

TEST(DiscImagePlan, ReaderSeesTheTrackStartsTheToolReports) {
  for (bool split : {false, true}) {
    for (double gap : {0.0, 2.0}) {
      auto plan = discimage::MakePlan("d", {5, 12.5, 180, 0.01}, gap, split);
      auto layout = LayoutOf(plan);
      ASSERT_EQ(layout.disc.AudioCount(), 4);
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(layout.disc.Audio(i + 1)->startLba, plan.tracks[i].startLba) << split << gap;
      EXPECT_EQ(layout.disc.leadOutLba, plan.leadOutLba);
      EXPECT_EQ(plan.files.size(), split ? 4u : 1u);
    }
  }
  auto plan = discimage::MakePlan("d", {12.5}, 0, false);
  EXPECT_EQ(plan.tracks[0].audioFrames, 938u);  // 12.5 s, rounded
}

TEST(DiscImageAudio, DeterministicMusicLikeAndSeamless) {
  const uint32_t frames = 150;
  std::vector<uint8_t> a(frames * 2352), b(frames * 2352), c(frames * 2352), d(frames * 2352);
  discimage::TrackAudio(7, 1, 0, frames, a.data());
  discimage::TrackAudio(7, 1, 0, 60, b.data());
  discimage::TrackAudio(7, 1, 60, frames - 60, b.data() + 60 * 2352);
  EXPECT_EQ(a, b);  // made in pieces or at once: the same bytes
  discimage::TrackAudio(8, 1, 0, frames, c.data());
  EXPECT_NE(a, c);
  discimage::PregapAudio(7, 2, 0, frames, d.data());
  EXPECT_NE(a, d);
  // Not silence, both channels move, and they differ from each other.
  long peakL = 0, peakR = 0, diff = 0;
  for (size_t i = 0; i < a.size(); i += 4) {
    int16_t l, r;
    std::memcpy(&l, &a[i], 2);
    std::memcpy(&r, &a[i + 2], 2);
    peakL = std::max<long>(peakL, std::abs(l));
    peakR = std::max<long>(peakR, std::abs(r));
    diff += l != r;
  }
  EXPECT_GT(peakL, 3000);
  EXPECT_GT(peakR, 3000);
  EXPECT_GT(diff, long(a.size() / 8));
}

// The three kinds of audio CD, written by discimage, read back through the
// reader's CUE code and identified. IDs worked by hand from the protocol:
// digit sums of every track's start in seconds (offset / 75, lead-in
// included), mod 255; lead-out seconds less the first track's; track count.
//  plain:    3 x 200 s: starts 2, 202, 402 s, lead-out 602 s
//            -> 2+4+6 = 12 = 0x0c, 600 = 0x258, 3       -> 0c025803
//  Enhanced: the same, then a 100 s data track at 602 s, lead-out 702 s
//            -> 2+4+6+8 = 20 = 0x14, 700 = 0x2bc, 4     -> 1402bc04
//  mixed:    a 100 s data track at 2 s, then 3 x 200 s at 102, 302, 502 s,
//            lead-out 702 s -> 2+3+5+7 = 17 = 0x11, 700 -> 1102bc04
TEST(DiscImagePlan, EveryKindOfAudioCdGetsTheProtocolsDiscId) {
  struct Kind {
    std::vector<bool> data;
    std::vector<double> seconds;
    const char* query;
    std::vector<int> recordTrackOfListed;  // listed 1..3
  } kinds[] = {
      {{}, {200, 200, 200}, "cddb query 0c025803 3 150 15150 30150 602", {1, 2, 3}},
      {{false, false, false, true},
       {200, 200, 200, 100},
       "cddb query 1402bc04 4 150 15150 30150 45150 702",
       {1, 2, 3}},
      {{true}, {100, 200, 200, 200}, "cddb query 1102bc04 4 150 7650 22650 37650 702", {2, 3, 4}},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.query);
    auto layout = LayoutOf(discimage::MakePlan("d", k.seconds, 0, false, k.data));
    ASSERT_EQ(layout.disc.AudioCount(), 3);
    const DiscToc toc = cdr::IdentificationToc(layout.disc);
    EXPECT_EQ(CddbQueryCommand(toc), k.query);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(CddbRecordTrack(toc, n), k.recordTrackOfListed[size_t(n - 1)]);
    EXPECT_EQ(CddbRecordTrack(toc, 4), 0);
  }
}
