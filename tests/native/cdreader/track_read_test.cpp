#include "components/cdreader/track_read.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "components/cdreader/image_device.h"
#include "components/cdreader/wav_header.h"
#include "tests/native/cdreader/mem_image_file.h"

using namespace cdr;

namespace {

uint8_t ByteAt(uint32_t lba, size_t i) { return uint8_t((lba * 7 + i * 13) ^ (i >> 8)); }

// A drive whose frames are a function of their LBA; faults on request.
class SimDrive : public CdDevice {
 public:
  bool ReadToc(DiscInfo& d, std::wstring&) override { return true; }
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) override {
    ++calls;
    if (abortAfter && calls == abortAfter) abort->store(true);
    for (uint32_t f = lba; f < lba + count; ++f) {
      if (badLba.count(f) && failuresLeft > 0) {
        --failuresLeft;
        error = L"medium error";
        return false;
      }
    }
    for (uint32_t f = 0; f < count; ++f)
      for (size_t i = 0; i < kSectorBytes; ++i) out[f * kSectorBytes + i] = ByteAt(lba + f, i);
    return true;
  }
  uint32_t MaxFramesPerRead() const override { return 10; }

  int calls = 0;
  int abortAfter = 0;
  std::atomic<bool>* abort = nullptr;
  std::set<uint32_t> badLba;
  int failuresLeft = 0;
};

class MemSink : public WavSink {
 public:
  bool Append(const uint8_t* d, size_t n, std::wstring& error) override {
    if (failAfter >= 0 && bytes.size() + n > size_t(failAfter)) {
      error = L"disk full";
      return false;
    }
    bytes.insert(bytes.end(), d, d + n);
    return true;
  }
  bool RewriteHeader(const uint8_t* h, size_t n, std::wstring&) override {
    std::memcpy(bytes.data(), h, n);
    return true;
  }
  std::vector<uint8_t> bytes;
  long failAfter = -1;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

struct ReadRun {
  ReadResult result;
  std::vector<int32_t> progress;
};

ReadRun Read(SimDrive& drive, MemSink& sink, uint32_t start, uint32_t end, std::atomic<bool>& abort) {
  ReadRun r;
  r.result = ReadTrackFrames(drive, start, end, sink, abort, [&](int32_t pm) { r.progress.push_back(pm); });
  return r;
}

}  // namespace

TEST(WavHeader, DescribesCdAudio) {
  auto h = MakeWavHeader(2352 * 3);
  std::vector<uint8_t> b(h.begin(), h.end());
  EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
  EXPECT_EQ(Le32(b, 4), 36u + 2352 * 3);
  EXPECT_EQ(std::memcmp(&b[8], "WAVEfmt ", 8), 0);
  EXPECT_EQ(Le32(b, 16), 16u);
  EXPECT_EQ(b[20] | b[21] << 8, 1);  // PCM
  EXPECT_EQ(b[22] | b[23] << 8, 2);
  EXPECT_EQ(Le32(b, 24), 44100u);
  EXPECT_EQ(Le32(b, 28), 176400u);
  EXPECT_EQ(b[32] | b[33] << 8, 4);
  EXPECT_EQ(b[34] | b[35] << 8, 16);
  EXPECT_EQ(std::memcmp(&b[36], "data", 4), 0);
  EXPECT_EQ(Le32(b, 40), 2352u * 3);
  auto big = MakeWavHeader(0xFFFFFFF0u);
  std::vector<uint8_t> bb(big.begin(), big.end());
  EXPECT_GE(Le32(bb, 4), Le32(bb, 40));  // RIFF size does not wrap
}

// No CD holds a track past 4 GiB, but an image can claim one: the header's
// sizes are clamped, not wrapped round to a small number.
TEST(TrackRead, HeaderOfAnOverlongTrackIsClampedNotWrapped) {
  struct FirstHeader : WavSink {
    std::vector<uint8_t> first;
    bool Append(const uint8_t* d, size_t n, std::wstring&) override {
      if (first.empty()) first.assign(d, d + n);
      return true;
    }
    bool RewriteHeader(const uint8_t*, size_t, std::wstring&) override { return true; }
  } sink;
  SimDrive drive;
  std::atomic<bool> abort{true};
  const uint32_t frames = 0xFFFFFFFFu / kSectorBytes + 2;  // 3440 bytes past 4 GiB
  ReadTrackFrames(drive, 0, frames, sink, abort, nullptr);
  ASSERT_EQ(sink.first.size(), 44u);
  EXPECT_GT(Le32(sink.first, 40), 0xFFFF0000u);
  EXPECT_GE(Le32(sink.first, 4), Le32(sink.first, 40));
}

TEST(TrackRead, WritesHeaderAndEveryFrameInOrder) {
  SimDrive drive;
  MemSink sink;
  std::atomic<bool> abort{false};
  ReadRun r = Read(drive, sink, 100, 135, abort);
  ASSERT_EQ(r.result.outcome, ReadOutcome::Done);
  ASSERT_EQ(sink.bytes.size(), 44u + 35 * 2352);
  EXPECT_EQ(Le32(sink.bytes, 40), 35u * 2352);
  for (uint32_t f = 0; f < 35; ++f)
    for (size_t i = 0; i < kSectorBytes; i += 97)
      ASSERT_EQ(sink.bytes[44 + f * kSectorBytes + i], ByteAt(100 + f, i));
  EXPECT_EQ(drive.calls, 4);  // 10-frame chunks
  ASSERT_FALSE(r.progress.empty());
  EXPECT_EQ(r.progress.front(), 0);
  EXPECT_EQ(r.progress.back(), 1000);
  for (size_t i = 1; i < r.progress.size(); ++i) EXPECT_GT(r.progress[i], r.progress[i - 1]);
}

TEST(TrackRead, EmptyTrackGivesAHeaderOnlyFile) {
  SimDrive drive;
  MemSink sink;
  std::atomic<bool> abort{false};
  ReadRun r = Read(drive, sink, 50, 50, abort);
  EXPECT_EQ(r.result.outcome, ReadOutcome::Done);
  EXPECT_EQ(sink.bytes.size(), 44u);
  EXPECT_EQ(r.progress.back(), 1000);
}

TEST(TrackRead, AbortStopsAndLeavesAValidPartialWav) {
  SimDrive drive;
  MemSink sink;
  std::atomic<bool> abort{false};
  drive.abort = &abort;
  drive.abortAfter = 2;
  ReadRun r = Read(drive, sink, 0, 100, abort);
  EXPECT_EQ(r.result.outcome, ReadOutcome::Aborted);
  EXPECT_EQ(drive.calls, 2);
  EXPECT_EQ(sink.bytes.size(), 44u + r.result.dataBytes);
  EXPECT_EQ(Le32(sink.bytes, 40), r.result.dataBytes);
  EXPECT_EQ(Le32(sink.bytes, 4), 36 + r.result.dataBytes);
  EXPECT_LT(r.progress.back(), 1000);
}

TEST(TrackRead, RetriesATransientErrorThenNamesTheSector) {
  SimDrive drive;
  MemSink sink;
  std::atomic<bool> abort{false};
  drive.badLba = {25};
  drive.failuresLeft = 1;
  EXPECT_EQ(Read(drive, sink, 0, 40, abort).result.outcome, ReadOutcome::Done);

  SimDrive bad;
  MemSink sink2;
  bad.badLba = {25};
  bad.failuresLeft = 1000;
  ReadRun r = Read(bad, sink2, 0, 40, abort);
  EXPECT_EQ(r.result.outcome, ReadOutcome::Failed);
  EXPECT_EQ(r.result.code, kErrRead);
  EXPECT_EQ(r.result.message, L"Read error at sector 20: medium error");
  EXPECT_EQ(Le32(sink2.bytes, 40), 20u * 2352);  // what was read before stays usable
}

TEST(TrackRead, WriteFailureIsAnError) {
  SimDrive drive;
  MemSink sink;
  sink.failAfter = 44 + 2352 * 15;
  std::atomic<bool> abort{false};
  ReadRun r = Read(drive, sink, 0, 40, abort);
  EXPECT_EQ(r.result.outcome, ReadOutcome::Failed);
  EXPECT_EQ(r.result.code, kErrWrite);
  EXPECT_EQ(r.result.message, L"disk full");
}

TEST(PerMille, StaysInRange) {
  EXPECT_EQ(PerMille(0, 10), 0);
  EXPECT_EQ(PerMille(5, 10), 500);
  EXPECT_EQ(PerMille(11, 10), 1000);
  EXPECT_EQ(PerMille(0, 0), 1000);
  EXPECT_EQ(PerMille(359999, 360000), 999);
}

namespace {

std::vector<uint8_t> Frames(uint32_t n, uint8_t seed) {
  std::vector<uint8_t> v(size_t(n) * kSectorBytes);
  for (size_t i = 0; i < v.size(); ++i) v[i] = uint8_t(seed + i * 3 + (i >> 10));
  return v;
}

}  // namespace

TEST(ImageDevice, ReadsAcrossFilesSilenceAndByteOrder) {
  ImageLayout l;
  l.segments = {{0, 4, 0, 0, kSectorBytes, false},
                {4, 2, -1, 0, kSectorBytes, false},
                {6, 3, 1, kSectorBytes, kSectorBytes, true}};
  l.disc.leadOutLba = 9;
  auto a = Frames(4, 1), b = Frames(4, 9);
  std::vector<std::unique_ptr<ImageFile>> files;
  files.push_back(std::make_unique<MemFile>(a));
  files.push_back(std::make_unique<MemFile>(b));
  ImageDevice dev(l, std::move(files));
  std::vector<uint8_t> out(9 * kSectorBytes);
  std::wstring err;
  ASSERT_TRUE(dev.ReadFrames(0, 9, out.data(), err));
  EXPECT_TRUE(std::equal(a.begin(), a.end(), out.begin()));
  for (size_t i = 4 * kSectorBytes; i < 6 * kSectorBytes; ++i) ASSERT_EQ(out[i], 0);
  for (size_t i = 0; i < 3 * kSectorBytes; ++i)
    ASSERT_EQ(out[6 * kSectorBytes + i], b[kSectorBytes + (i ^ 1)]);
  // A read inside one segment starts at the right offset.
  ASSERT_TRUE(dev.ReadFrames(7, 1, out.data(), err));
  EXPECT_EQ(out[0], b[2 * kSectorBytes + 1]);
  EXPECT_FALSE(dev.ReadFrames(8, 2, out.data(), err));  // beyond the lead-out
}

TEST(ImageDevice, ShortFileIsAReadError) {
  ImageLayout l;
  l.segments = {{0, 10, 0, 0, kSectorBytes, false}};
  l.disc.leadOutLba = 10;
  std::vector<std::unique_ptr<ImageFile>> files;
  files.push_back(std::make_unique<MemFile>(Frames(5, 0)));
  ImageDevice dev(l, std::move(files));
  MemSink sink;
  std::atomic<bool> abort{false};
  ReadResult r = ReadTrackFrames(dev, 0, 10, sink, abort, nullptr);
  EXPECT_EQ(r.outcome, ReadOutcome::Failed);
  EXPECT_EQ(r.message.rfind(L"Read error at sector ", 0), 0u);
}
