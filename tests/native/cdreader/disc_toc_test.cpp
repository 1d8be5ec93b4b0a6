#include "components/cdreader/disc_toc.h"

#include <gtest/gtest.h>

#include <vector>

using namespace cdr;

namespace {

// A drive's TOC buffer: header and one descriptor per entry (0xAA: lead-out).
struct Entry {
  uint8_t number;
  uint8_t control;
  uint32_t lba;
};

std::vector<uint8_t> TocBuffer(const std::vector<Entry>& entries, bool msf) {
  std::vector<uint8_t> b(4);
  for (const Entry& e : entries) {
    uint8_t d[8] = {0, uint8_t(0x10 | e.control), e.number, 0};
    if (msf) {
      Msf m = LbaToMsf(e.lba);
      d[5] = uint8_t(m.minute);
      d[6] = uint8_t(m.second);
      d[7] = uint8_t(m.frame);
    } else {
      d[4] = uint8_t(e.lba >> 24);
      d[5] = uint8_t(e.lba >> 16);
      d[6] = uint8_t(e.lba >> 8);
      d[7] = uint8_t(e.lba);
    }
    b.insert(b.end(), d, d + 8);
  }
  size_t len = b.size() - 2;
  b[0] = uint8_t(len >> 8);
  b[1] = uint8_t(len);
  b[2] = 1;
  b[3] = entries.size() > 1 ? entries[entries.size() - 2].number : 1;
  return b;
}

}  // namespace

TEST(Msf, ConvertsBothWaysAroundTheLeadIn) {
  EXPECT_EQ(MsfToLba({0, 2, 0}), 0u);
  EXPECT_EQ(MsfToLba({0, 1, 74}), 0u);  // inside the lead-in
  EXPECT_EQ(MsfToLba({1, 0, 0}), 4350u);
  for (uint32_t lba : {0u, 1u, 74u, 75u, 4349u, 4350u, 359849u}) {
    Msf m = LbaToMsf(lba);
    EXPECT_LT(m.second, 60u);
    EXPECT_LT(m.frame, 75u);
    EXPECT_EQ(MsfToLba(m), lba);
  }
  Msf m = LbaToMsf(0);
  EXPECT_EQ(m.second, 2u);
}

TEST(Msf, MillisecondsAreTruncated) {
  EXPECT_EQ(FramesToMs(75), 1000);
  EXPECT_EQ(FramesToMs(1), 13);
  EXPECT_EQ(FramesToMs(18375), 245000);  // 4:05
  EXPECT_EQ(FramesToMs(360000), 4800000);
}

TEST(DriveToc, MsfAndLbaBuffersGiveTheSameTracks) {
  std::vector<Entry> e = {{1, 0, 0}, {2, 0, 18375}, {3, 0, 40000}, {0xAA, 0, 52000}};
  for (bool msf : {true, false}) {
    auto b = TocBuffer(e, msf);
    DiscInfo d;
    std::wstring err;
    ASSERT_TRUE(ParseDriveToc(b.data(), b.size(), msf, d, err));
    ASSERT_EQ(d.AudioCount(), 3);
    EXPECT_EQ(d.Audio(2)->startLba, 18375u);
    EXPECT_EQ(d.Audio(2)->endLba, 40000u);
    EXPECT_EQ(d.Audio(3)->endLba, 52000u);
    EXPECT_EQ(d.leadOutLba, 52000u);
  }
}

TEST(DriveToc, DataTracksAreNotAudioAndCdExtraLosesTheSessionGap) {
  // CD-Extra: audio 1-2, data 3 in a second session.
  auto b = TocBuffer({{1, 0, 0}, {2, 0, 20000}, {3, 4, 60000}, {0xAA, 0, 70000}}, false);
  DiscInfo d;
  std::wstring err;
  ASSERT_TRUE(ParseDriveToc(b.data(), b.size(), false, d, err));
  EXPECT_EQ(d.AudioCount(), 2);
  EXPECT_EQ(d.Audio(2)->endLba, 60000u - kSessionGapFrames);
  // Mixed mode: data first, audio after; audio track 1 is disc track 2.
  auto m = TocBuffer({{1, 4, 0}, {2, 0, 30000}, {0xAA, 0, 50000}}, false);
  ASSERT_TRUE(ParseDriveToc(m.data(), m.size(), false, d, err));
  EXPECT_EQ(d.AudioCount(), 1);
  EXPECT_EQ(d.Audio(1)->number, 2);
  EXPECT_EQ(d.Audio(1)->startLba, 30000u);
}

TEST(DriveToc, MalformedBuffersAreRejected) {
  DiscInfo d;
  std::wstring err;
  EXPECT_FALSE(ParseDriveToc(nullptr, 0, false, d, err));
  auto noLeadOut = TocBuffer({{1, 0, 0}, {2, 0, 100}}, false);
  EXPECT_FALSE(ParseDriveToc(noLeadOut.data(), noLeadOut.size(), false, d, err));
  auto backwards = TocBuffer({{1, 0, 500}, {2, 0, 100}, {0xAA, 0, 900}}, false);
  EXPECT_FALSE(ParseDriveToc(backwards.data(), backwards.size(), false, d, err));
  auto badNumber = TocBuffer({{0, 0, 0}, {0xAA, 0, 900}}, false);
  EXPECT_FALSE(ParseDriveToc(badNumber.data(), badNumber.size(), false, d, err));
  auto good = TocBuffer({{1, 0, 0}, {0xAA, 0, 900}}, false);
  // A length field larger than the buffer must not be trusted.
  good[0] = 0xFF;
  EXPECT_TRUE(ParseDriveToc(good.data(), good.size(), false, d, err));
  EXPECT_FALSE(ParseDriveToc(good.data(), 12, false, d, err));
  EXPECT_EQ(d.AudioCount(), 0);
}
