#include "components/mp3enc/wav_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "components/mp3enc/progress.h"

namespace {

// Builds RIFF files chunk by chunk, so that order, padding and sizes can be
// bent the way real writers bend them.
struct Riff {
  std::vector<uint8_t> bytes;
  Riff() {
    Put("RIFF");
    U32(0);  // the parser never trusts this size
    Put("WAVE");
  }
  void Put(const char* s) { bytes.insert(bytes.end(), s, s + std::strlen(s)); }
  void U16(uint16_t v) { bytes.push_back(v & 0xFF), bytes.push_back(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  void Chunk(const char* id, const std::vector<uint8_t>& body, bool pad = true) {
    Put(id);
    U32(static_cast<uint32_t>(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) bytes.push_back(0);
  }
  static std::vector<uint8_t> Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                  uint16_t align = 0) {
    Riff f;
    f.bytes.clear();
    if (!align) align = static_cast<uint16_t>(channels * bits / 8);
    f.U16(tag), f.U16(channels), f.U32(rate), f.U32(rate * align), f.U16(align), f.U16(bits);
    return f.bytes;
  }
  WavInfo Parse() {
    MemoryByteSource src(bytes.data(), bytes.size());
    return ParseWavHeader(src);
  }
};

std::vector<uint8_t> Samples(size_t n) { return std::vector<uint8_t>(n, 0x11); }

TEST(WavHeader, PlainCdAudioFile) {
  Riff r;
  r.Chunk("fmt ", Riff::Fmt(1, 2, 44100, 16));
  r.Chunk("data", Samples(4 * 1000));
  const WavInfo w = r.Parse();
  ASSERT_EQ(w.status, WavStatus::Ok);
  EXPECT_EQ(w.channels, 2);
  EXPECT_EQ(w.sampleRate, 44100u);
  EXPECT_EQ(w.dataOffset, 44u);
  EXPECT_EQ(w.frames, 1000u);
  EXPECT_EQ(w.dataBytes, 4000u);
}

TEST(WavHeader, ChunksInAnyOrderWithOddPadding) {
  Riff r;
  r.Chunk("LIST", {'I', 'N', 'F', 'O', 'x'});  // odd: one pad byte follows
  r.Chunk("data", Samples(2 * 7));
  r.Chunk("junk", {1, 2, 3});
  r.Chunk("fmt ", Riff::Fmt(1, 1, 22050, 16));
  const WavInfo w = r.Parse();
  ASSERT_EQ(w.status, WavStatus::Ok);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.dataOffset, 12u + 8 + 6 + 8);
  EXPECT_EQ(w.frames, 7u);
}

TEST(WavHeader, DataSizeBeyondTheFileIsClampedToWholeFrames) {
  Riff r;
  r.Chunk("fmt ", Riff::Fmt(1, 2, 48000, 16));
  r.Put("data");
  r.U32(0xFFFFFFFF);                   // streaming writers leave the size open
  const auto s = Samples(4 * 10 + 3);  // a torn last frame
  r.bytes.insert(r.bytes.end(), s.begin(), s.end());
  const WavInfo w = r.Parse();
  ASSERT_EQ(w.status, WavStatus::Ok);
  EXPECT_EQ(w.frames, 10u);
  EXPECT_EQ(w.dataBytes, 40u);
}

TEST(WavHeader, EmptyDataChunkIsValid) {
  Riff r;
  r.Chunk("fmt ", Riff::Fmt(1, 2, 44100, 16));
  r.Chunk("data", {});
  const WavInfo w = r.Parse();
  ASSERT_EQ(w.status, WavStatus::Ok);
  EXPECT_EQ(w.frames, 0u);
  EXPECT_EQ(r.bytes.size(), 44u);
}

TEST(WavHeader, ExtensibleFormatCountsOnlyWithPcmSubformat) {
  auto ext = [](uint16_t subTag, uint16_t valid) {
    Riff f;
    f.bytes = Riff::Fmt(0xFFFE, 2, 44100, 16);
    f.U16(22), f.U16(valid), f.U32(3), f.U16(subTag);
    const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    f.bytes.insert(f.bytes.end(), tail, tail + 14);
    Riff r;
    r.Chunk("fmt ", f.bytes);
    r.Chunk("data", Samples(8));
    return r.Parse().status;
  };
  EXPECT_EQ(ext(1, 16), WavStatus::Ok);
  EXPECT_EQ(ext(3, 16), WavStatus::NotPcm);  // float
  EXPECT_EQ(ext(1, 12), WavStatus::Not16Bit);
}

TEST(WavHeader, RefusesWhatTheEncoderCannotTake) {
  struct Case {
    const char* what;
    std::vector<uint8_t> fmt;
    WavStatus want;
  } cases[] = {
      {"8-bit", Riff::Fmt(1, 2, 44100, 8), WavStatus::Not16Bit},
      {"24-bit", Riff::Fmt(1, 2, 44100, 24), WavStatus::Not16Bit},
      {"float", Riff::Fmt(3, 2, 44100, 32), WavStatus::NotPcm},
      {"ADPCM", Riff::Fmt(2, 2, 44100, 4), WavStatus::NotPcm},
      {"6 channels", Riff::Fmt(1, 6, 44100, 16), WavStatus::BadChannelCount},
      {"0 channels", Riff::Fmt(1, 0, 44100, 16, 4), WavStatus::BadChannelCount},
      {"96 kHz", Riff::Fmt(1, 2, 96000, 16), WavStatus::BadSampleRate},
      {"0 Hz", Riff::Fmt(1, 2, 0, 16), WavStatus::BadSampleRate},
      {"block align", Riff::Fmt(1, 2, 44100, 16, 3), WavStatus::BadBlockAlign},
      {"short fmt", {1, 0, 2, 0, 0x44, 0xAC, 0, 0}, WavStatus::NoFormatChunk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Riff r;
    r.Chunk("fmt ", c.fmt);
    r.Chunk("data", Samples(16));
    EXPECT_EQ(r.Parse().status, c.want);
  }
}

TEST(WavHeader, RefusesBrokenContainers) {
  Riff noData;
  noData.Chunk("fmt ", Riff::Fmt(1, 2, 44100, 16));
  EXPECT_EQ(noData.Parse().status, WavStatus::NoDataChunk);

  Riff noFmt;
  noFmt.Chunk("data", Samples(16));
  EXPECT_EQ(noFmt.Parse().status, WavStatus::NoFormatChunk);

  // fmt announced as longer than the file: it cannot be read whole.
  Riff cut;
  cut.Put("fmt ");
  cut.U32(16);
  cut.U16(1), cut.U16(2);
  EXPECT_EQ(cut.Parse().status, WavStatus::NoFormatChunk);

  Riff notWave;
  notWave.bytes[8] = 'A';
  EXPECT_EQ(notWave.Parse().status, WavStatus::NotRiffWave);
  EXPECT_EQ(Riff().Parse().status, WavStatus::NoFormatChunk);

  const char* tooShort = "RIFF\0\0\0\0WAV";
  MemoryByteSource src(tooShort, 11);
  EXPECT_EQ(ParseWavHeader(src).status, WavStatus::NotRiffWave);
  MemoryByteSource empty(nullptr, 0);
  EXPECT_EQ(ParseWavHeader(empty).status, WavStatus::NotRiffWave);
}

TEST(WavHeader, ManyTinyChunksStopTheWalk) {
  Riff r;
  for (int i = 0; i < 5000; ++i) r.Chunk("pad ", {});
  r.Chunk("fmt ", Riff::Fmt(1, 2, 44100, 16));
  r.Chunk("data", Samples(4));
  EXPECT_EQ(r.Parse().status, WavStatus::NoFormatChunk);
}

TEST(Rates, SampleAndBitRatesOfLayerThree) {
  for (uint32_t r : {8000u, 11025u, 12000u, 16000u, 22050u, 24000u, 32000u, 44100u, 48000u})
    EXPECT_TRUE(IsSupportedSampleRate(r)) << r;
  for (uint32_t r : {0u, 7999u, 44101u, 88200u, 96000u}) EXPECT_FALSE(IsSupportedSampleRate(r)) << r;
  for (int k : {256, 224, 192, 160, 128, 112, 96, 80, 64, 56, 48, 40, 32, 320})
    EXPECT_TRUE(IsSupportedBitRate(k)) << k;
  for (int k : {0, -128, 100, 127, 384, 32767}) EXPECT_FALSE(IsSupportedBitRate(k)) << k;
}

TEST(Progress, TotalIsNeverZeroAndDoneReachesIt) {
  EXPECT_EQ(ProgressTotalFor(0), 1);
  EXPECT_EQ(ProgressTotalFor(1), 1);
  EXPECT_EQ(ProgressTotalFor(1152), 1);
  EXPECT_EQ(ProgressTotalFor(1153), 2);
  EXPECT_EQ(ProgressDoneFor(0, 0), 1);
  EXPECT_EQ(ProgressDoneFor(1152, 1153), 1);
  EXPECT_EQ(ProgressDoneFor(1153, 1153), 2);
  // 4 GB of stereo audio: the listener's done * 100 still fits in 32 bits.
  const uint64_t huge = 0xFFFFFFFFull / 4;
  EXPECT_LT(static_cast<int64_t>(ProgressTotalFor(huge)) * 100, INT32_MAX);
}

TEST(Progress, ThrottleReportsAtMostOncePerPercentAndTheEnd) {
  // A slow encode: each block a second apart, so only the percent rule acts.
  ProgressThrottle t(100000);
  int reported = 0;
  for (int32_t d = 1; d <= 100000; ++d) reported += t.ShouldReport(d, uint64_t(d) * 1000);
  EXPECT_EQ(reported, 100);  // 1..99 percent, then the end
  EXPECT_FALSE(t.ShouldReport(100000, 1u << 30));

  ProgressThrottle small(3);
  EXPECT_TRUE(small.ShouldReport(1, 0));
  EXPECT_TRUE(small.ShouldReport(2, 1000));
  EXPECT_FALSE(small.ShouldReport(2, 2000));
  EXPECT_TRUE(small.ShouldReport(3, 2000));
}

TEST(Progress, AFastEncodeReportsItsStartOnePerIntervalAndItsEnd) {
  // 1000 ms for the whole encode, a block every 10 us: the first percent
  // (at 10 ms) at once, then one each 250 ms, and the end however soon it
  // comes.
  ProgressThrottle t(100000, 250);
  std::vector<uint64_t> at;
  for (int32_t d = 1; d <= 100000; ++d) {
    const uint64_t now = uint64_t(d) / 100;
    if (t.ShouldReport(d, now)) at.push_back(now);
  }
  EXPECT_EQ(at, (std::vector<uint64_t>{10, 260, 510, 760, 1000}));

  // A percent held back by the interval is reported by the next block
  // after it: the bar never stops short of what is done.
  ProgressThrottle u(100, 250);
  EXPECT_TRUE(u.ShouldReport(1, 0));
  EXPECT_FALSE(u.ShouldReport(2, 100));
  EXPECT_TRUE(u.ShouldReport(3, 260));
}

TEST(Progress, EncodesSideBySideShareTheInterval) {
  // Two fast encodes of one second each, blocks interleaved: each reports
  // its start and its end, and between them the two together one event per
  // 250 ms, as one encode would.
  ProgressGate gate;
  ProgressThrottle a(100000, 250, &gate), b(100000, 250, &gate);
  std::vector<uint64_t> middle;
  int ends = 0, starts = 0;
  for (int32_t d = 1; d <= 100000; ++d) {
    const uint64_t now = uint64_t(d) / 100;
    for (ProgressThrottle* t : {&a, &b}) {
      if (!t->ShouldReport(d, now)) continue;
      if (d == 100000) ++ends;
      else if (d == 1000) ++starts;
      else middle.push_back(now);
    }
  }
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(middle, (std::vector<uint64_t>{260, 510, 760}));

  // A reading that comes with an earlier clock than the last pass (another
  // thread's) does not go through.
  ProgressGate g;
  EXPECT_TRUE(g.TryPass(1000, 250));
  EXPECT_FALSE(g.TryPass(990, 250));
  EXPECT_FALSE(g.TryPass(1249, 250));
  EXPECT_TRUE(g.TryPass(1250, 250));
  g.Passed(5000);
  EXPECT_FALSE(g.TryPass(5100, 250));
  EXPECT_TRUE(g.TryPass(0x7fffffffffff, 250));
}

}  // namespace
