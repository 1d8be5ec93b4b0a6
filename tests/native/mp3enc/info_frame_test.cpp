#include "components/mp3enc/info_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The info frame Debian's lame wrote for 3 s of mono 44.1 kHz audio at
// 128 kbit/s: header, 17 bytes of side info, then the tag.
const uint8_t kLameFrame[177] = {
    0xff, 0xfb, 0x90, 0xc4, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0x49, 0x6e, 0x66, 0x6f, 0x00, 0x00, 0x00, 0x0f, 0x00, 0x00, 0x00, 0x74, 0x00,
    0x00, 0xbf, 0x04, 0x00, 0x04, 0x06, 0x08, 0x0b, 0x0d, 0x0f, 0x13, 0x16, 0x18, 0x1a, 0x1c, 0x1e, 0x23,
    0x25, 0x27, 0x29, 0x2c, 0x2e, 0x32, 0x34, 0x37, 0x39, 0x3b, 0x3d, 0x42, 0x44, 0x46, 0x48, 0x4b, 0x4d,
    0x4f, 0x53, 0x56, 0x58, 0x5a, 0x5c, 0x5e, 0x63, 0x65, 0x67, 0x69, 0x6c, 0x6e, 0x72, 0x74, 0x77, 0x79,
    0x7b, 0x7d, 0x82, 0x84, 0x86, 0x88, 0x8b, 0x8d, 0x8f, 0x93, 0x96, 0x98, 0x9a, 0x9c, 0x9e, 0xa3, 0xa5,
    0xa7, 0xa9, 0xac, 0xae, 0xb2, 0xb4, 0xb7, 0xb9, 0xbb, 0xbd, 0xc2, 0xc4, 0xc6, 0xc8, 0xcb, 0xcd, 0xcf,
    0xd3, 0xd6, 0xd8, 0xda, 0xdc, 0xde, 0xe3, 0xe5, 0xe7, 0xe9, 0xec, 0xee, 0xf2, 0xf4, 0xf7, 0xf9, 0xfb,
    0xfd, 0x00, 0x00, 0x00, 0x39, 0x4c, 0x41, 0x4d, 0x45, 0x33, 0x2e, 0x31, 0x30, 0x30, 0x01, 0xcd, 0x00,
    0x00, 0x00, 0x00, 0x2c, 0x54, 0x00, 0x00, 0x14, 0x80, 0x24, 0x02, 0xf4, 0x42, 0x00, 0x00, 0x80, 0x00,
    0x00, 0xbf, 0x04, 0x6c, 0x21, 0x4b, 0xed};
constexpr size_t kTag = 4 + 17;       // "Info" in the mono MPEG-1 frame
constexpr size_t kLame = kTag + 120;  // "LAME3.100"

TEST(InfoFrame, CrcIsTheOneLameUses) {
  EXPECT_EQ(Crc16Update(0, kLameFrame, kLame + 34), 0x4bed);
  // Fed in pieces, as the audio arrives.
  EXPECT_EQ(Crc16Update(Crc16Update(0, kLameFrame, 100), kLameFrame + 100, kLame + 34 - 100), 0x4bed);
}

TEST(InfoFrame, CarriesLengthFieldsWhereLameKeepsThem) {
  InfoFrameFields f;
  f.frames = 116;
  f.streamBytes = 48900;
  f.delay = 576;
  f.padding = 756;
  f.musicCrc = 0x6c21;
  f.kbit = 128;
  f.lowpassHundredsHz = 205;
  const std::vector<uint8_t> frame = BuildInfoFrame(kLameFrame, f);
  // The smallest mono MPEG-1 frame at 44.1 kHz that holds the tag: 56 kbit/s.
  ASSERT_EQ(frame.size(), 182u);
  EXPECT_EQ(InfoFrameSize(kLameFrame), 182u);
  EXPECT_EQ(frame[0], 0xff);
  EXPECT_EQ(frame[1], 0xfb);
  EXPECT_EQ(frame[2], 0x40);  // 56 kbit/s, 44.1 kHz, no padding
  EXPECT_EQ(frame[3], 0xc4);  // mono, as the audio
  auto same = [&](size_t at, size_t n) { return std::memcmp(&frame[at], &kLameFrame[at], n) == 0; };
  EXPECT_TRUE(same(kTag, 16));       // "Info", flags, frames, bytes
  EXPECT_TRUE(same(kLame, 11));      // version, revision and method, lowpass
  EXPECT_TRUE(same(kLame + 20, 4));  // bit rate, delay and padding
  EXPECT_TRUE(same(kLame + 28, 6));  // music length and music CRC
  const uint16_t crc = Crc16Update(0, frame.data(), kLame + 34);
  EXPECT_EQ(frame[kLame + 34], crc >> 8);
  EXPECT_EQ(frame[kLame + 35], crc & 0xff);
  for (int i = 1; i < 100; ++i) EXPECT_LT(frame[kTag + 16 + i - 1], frame[kTag + 16 + i]);
}

TEST(InfoFrame, LowSampleRatesAndBadHeaders) {
  const uint8_t mpeg2Stereo22k[4] = {0xff, 0xf3, 0x60, 0x64};  // 48 kbit/s
  EXPECT_EQ(InfoFrameSize(mpeg2Stereo22k), 182u);              // 56 kbit/s
  EXPECT_EQ(SamplesPerFrame(mpeg2Stereo22k), 576u);
  const uint8_t mpeg25Mono8k[4] = {0xff, 0xe3, 0x18, 0xc4};
  EXPECT_EQ(InfoFrameSize(mpeg25Mono8k), 72000u * 24 / 8000);
  EXPECT_EQ(SamplesPerFrame(kLameFrame), 1152u);

  const uint8_t notSync[4] = {0x00, 0xfb, 0x90, 0xc4};
  const uint8_t layerTwo[4] = {0xff, 0xfd, 0x90, 0xc4};
  const uint8_t reservedVersion[4] = {0xff, 0xeb, 0x90, 0xc4};
  const uint8_t reservedRate[4] = {0xff, 0xfb, 0x9c, 0xc4};
  for (const uint8_t* h : {notSync, layerTwo, reservedVersion, reservedRate}) {
    EXPECT_EQ(InfoFrameSize(h), 0u);
    EXPECT_TRUE(BuildInfoFrame(h, {}).empty());
  }
}

TEST(InfoFrame, LameReservesItsFrameOnlyWhereTheTagFits) {
  EXPECT_TRUE(LameReservesInfoFrame(true, 44100, 128, false));
  EXPECT_TRUE(LameReservesInfoFrame(true, 32000, 96, false));
  EXPECT_TRUE(LameReservesInfoFrame(false, 24000, 64, false));
  EXPECT_TRUE(LameReservesInfoFrame(false, 16000, 40, false));
  EXPECT_FALSE(LameReservesInfoFrame(false, 24000, 56, false));
  EXPECT_FALSE(LameReservesInfoFrame(false, 22050, 48, false));
  EXPECT_FALSE(LameReservesInfoFrame(false, 16000, 32, false));
  EXPECT_FALSE(LameReservesInfoFrame(true, 0, 128, false));
}

TEST(InfoFrame, PaddingFromTheExactLength) {
  EXPECT_EQ(PaddingForLength(264600, 231, 1152, 576), 936);
  EXPECT_EQ(PaddingForLength(132300, 233, 576, 576), 233 * 576 - 132300 - 576);
  EXPECT_EQ(PaddingForLength(264600, 200, 1152, 576), -1);  // fewer samples coded than asked
  EXPECT_EQ(PaddingForLength(0, 10, 1152, 576), -1);        // more than 12 bits
}

}  // namespace
