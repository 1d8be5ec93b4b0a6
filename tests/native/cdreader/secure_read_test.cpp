// The read loop with a read-offset correction and secure reading, against
// the image drive with its faults as the simulated drive.
#include <gtest/gtest.h>

#include <cstring>

#include "components/accuraterip/ar_checksum.h"
#include "components/cdreader/image_device.h"
#include "components/cdreader/track_read.h"
#include "tests/native/cdreader/mem_image_file.h"

using namespace cdr;

namespace {

class MemSink : public WavSink {
 public:
  bool Append(const uint8_t* d, size_t n, std::wstring&) override {
    bytes.insert(bytes.end(), d, d + n);
    return true;
  }
  bool RewriteHeader(const uint8_t* h, size_t n, std::wstring&) override {
    std::memcpy(bytes.data(), h, n);
    return true;
  }
  std::vector<uint8_t> Audio() const { return std::vector<uint8_t>(bytes.begin() + 44, bytes.end()); }
  std::vector<uint8_t> bytes;
};

// Counts reads and can raise the abort flag on a given one.
class CountingDrive : public CdDevice {
 public:
  explicit CountingDrive(CdDevice& d) : inner(d) {}
  bool ReadToc(DiscInfo& disc, std::wstring& e) override { return inner.ReadToc(disc, e); }
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& e) override {
    ++calls;
    if (abortOn && calls == abortOn) abort->store(true);
    return inner.ReadFrames(lba, count, out, e);
  }
  uint32_t MaxFramesPerRead() const override { return inner.MaxFramesPerRead(); }
  CdDevice& inner;
  int calls = 0, abortOn = 0;
  std::atomic<bool>* abort = nullptr;
};

// Three tracks: [0, 40), [40, 160), [160, 200); chunks of 64 frames.
struct Disc {
  std::vector<uint8_t> audio;
  DiscInfo info;
  Disc() {
    audio.resize(200 * kSectorBytes);
    uint32_t s = 12345;
    for (auto& b : audio) b = uint8_t((s = s * 1103515245u + 12345u) >> 16);
    info.tracks = {{1, true, 0, 40}, {2, true, 40, 160}, {3, true, 160, 200}};
    info.leadOutLba = 200;
  }
  std::unique_ptr<ImageDevice> Drive(const DriveFaults& faults = {}) const {
    ImageLayout l;
    l.disc = info;
    l.segments = {{0, 200, 0, 0, kSectorBytes, false}};
    std::vector<std::unique_ptr<ImageFile>> files;
    files.push_back(std::make_unique<MemFile>(audio));
    auto d = std::make_unique<ImageDevice>(l, std::move(files));
    d->SetFaults(faults);
    return d;
  }
  // Track t's audio taken shifted: sample p is the disc's sample p + shift.
  std::vector<uint8_t> Shifted(int t, int64_t shift) const {
    const DiscTrack& tr = info.tracks[size_t(t - 1)];
    std::vector<uint8_t> out(size_t(tr.endLba - tr.startLba) * kSectorBytes);
    for (size_t p = 0; p < out.size() / 4; ++p) {
      int64_t q = int64_t(tr.startLba) * 588 + int64_t(p) + shift;
      if (q >= 0 && q < 200 * 588) std::memcpy(&out[p * 4], &audio[size_t(q) * 4], 4);
    }
    return out;
  }
};

struct Ripped {
  ReadResult result;
  TrackProof proof;
  std::vector<uint8_t> audio;
  std::vector<int32_t> progress;
};

Ripped Read(CdDevice& drive, const Disc& disc, int track, int32_t correction, bool secure,
         std::atomic<bool>* abortFlag = nullptr) {
  TrackReadPlan plan;
  const DiscTrack& t = disc.info.tracks[size_t(track - 1)];
  plan.startLba = t.startLba;
  plan.endLba = t.endLba;
  ReadableSpan(disc.info, plan.readableFirst, plan.readableEnd);
  plan.options.offsetSamples = correction;
  plan.options.secure = secure;
  plan.firstTrack = track == 1;
  plan.lastTrack = track == 3;
  std::atomic<bool> local{false};
  MemSink sink;
  Ripped r;
  r.result = ReadTrack(drive, plan, sink, abortFlag ? *abortFlag : local,
                       [&](int32_t pm) { r.progress.push_back(pm); }, &r.proof);
  r.audio = sink.Audio();
  return r;
}

}  // namespace

// Every correction, across chunk and sector edges and past both ends of the
// disc, takes exactly the samples the arithmetic says, plain or secure.
TEST(ReadOffset, CorrectionTakesTheShiftedSamplesWithSilenceOffTheDisc) {
  Disc disc;
  for (int32_t c : {-24000, -589, -1, 0, 1, 587, 37631}) {
    for (int t = 1; t <= 3; ++t) {
      for (bool secure : {false, t == 2}) {
        auto drive = disc.Drive();
        Ripped r = Read(*drive, disc, t, c, secure);
        ASSERT_EQ(r.result.outcome, ReadOutcome::Done) << c;
        ASSERT_TRUE(r.audio == disc.Shifted(t, c)) << "correction " << c << " track " << t << " secure " << secure;
        EXPECT_EQ(r.proof.crc, ar::Crc32(0, r.audio.data(), r.audio.size()));
        EXPECT_EQ(r.proof.testCrc, r.proof.crc);
        EXPECT_EQ(r.proof.rereads, 0);
        EXPECT_TRUE(r.proof.suspiciousSamples.empty());
        EXPECT_EQ(r.proof.secure, secure);
      }
    }
  }
}

// Drive offset D read at correction D gives the disc's own audio, except
// where the drive would have to read off the disc; at 0 the audio comes D
// samples late.
TEST(ReadOffset, DriveOffsetIsUndoneByTheSameCorrection) {
  Disc disc;
  for (int32_t d : {6, -30, 1200}) {
    DriveFaults f;
    f.offsetSamples = d;
    for (int t = 1; t <= 3; ++t) {
      auto drive = disc.Drive(f);
      std::vector<uint8_t> want = disc.Shifted(t, 0);
      const int64_t start = int64_t(disc.info.tracks[size_t(t - 1)].startLba) * 588;
      for (size_t p = 0; p < want.size() / 4; ++p) {
        int64_t q = start + int64_t(p) + d;  // the drive's sample
        if (q < 0 || q >= 200 * 588) std::memset(&want[p * 4], 0, 4);
      }
      Ripped right = Read(*drive, disc, t, d, false);
      EXPECT_TRUE(right.audio == want) << d << " track " << t;
      if (t == 2) {
        EXPECT_TRUE(right.audio == disc.Shifted(2, 0)) << d;
      }
      Ripped late = Read(*drive, disc, t, 0, false);
      EXPECT_TRUE(late.audio == disc.Shifted(t, -d)) << d << " track " << t;
    }
  }
}

// A stretch that reads wrong on its first k reads: secure reading recovers
// it while two good reads fit in the test read, the copy read and 16
// re-reads, and otherwise reports it.
TEST(SecureRead, RecoversFlakySectorsUpToSixteenRereads) {
  Disc disc;
  const std::vector<uint8_t> clean = disc.Shifted(2, 0);
  DriveFaults f;
  f.flaky = {{100, 8, 1}};  // across the chunk edge at sector 104
  {
    auto drive = disc.Drive(f);
    Ripped plain = Read(*drive, disc, 2, 0, false);
    EXPECT_FALSE(plain.audio == clean);  // the fault is real
  }
  for (uint32_t k : {1u, 2u, 16u}) {
    f.flaky[0].badReads = k;
    auto drive = disc.Drive(f);
    Ripped r = Read(*drive, disc, 2, 0, true);
    ASSERT_EQ(r.result.outcome, ReadOutcome::Done);
    EXPECT_TRUE(r.audio == clean) << k;
    EXPECT_EQ(r.proof.crc, ar::Crc32(0, clean.data(), clean.size()));
    EXPECT_NE(r.proof.testCrc, r.proof.crc);
    EXPECT_GT(r.proof.rereads, 0);
    EXPECT_TRUE(r.proof.suspiciousSamples.empty()) << k;
  }
  f.flaky[0].badReads = 17;
  auto drive = disc.Drive(f);
  Ripped r = Read(*drive, disc, 2, 0, true);
  ASSERT_EQ(r.result.outcome, ReadOutcome::Done);
  // Two chunks, each read again at most 16 times.
  EXPECT_EQ(r.proof.rereads, 2 * kMaxRereads);
  EXPECT_EQ(r.proof.suspiciousSamples, std::vector<uint32_t>{60 * 588});
}

// Sectors that never read alike: one entry per stretch (a stretch across a
// chunk edge is one), at its first sample within the track, correction
// included; the rest of the track is as clean.
TEST(SecureRead, ReportsEachUnrecoverableStretchWhereItStarts) {
  Disc disc;
  DriveFaults f;
  f.random = {{50, 3}, {70, 1}, {100, 7}};
  for (int32_t c : {0, 6, -600}) {
    auto drive = disc.Drive(f);
    Ripped r = Read(*drive, disc, 2, c, true);
    ASSERT_EQ(r.result.outcome, ReadOutcome::Done);
    std::vector<uint32_t> want;
    for (uint32_t s : {50u, 70u, 100u}) want.push_back(uint32_t((int64_t(s) - 40) * 588 - c));
    EXPECT_EQ(r.proof.suspiciousSamples, want) << c;
    EXPECT_GE(r.proof.rereads, kMaxRereads);
    std::vector<uint8_t> clean = disc.Shifted(2, c);
    // Sample by sample: only the bad sectors' samples differ.
    for (size_t p = 0; p < clean.size() / 4; ++p) {
      int64_t sector = (int64_t(40) * 588 + int64_t(p) + c) / 588;
      bool bad = (sector >= 50 && sector < 53) || sector == 70 || (sector >= 100 && sector < 107);
      if (!bad) {
        ASSERT_EQ(std::memcmp(&r.audio[p * 4], &clean[p * 4], 4), 0) << c << " sample " << p;
      }
    }
  }
  // A stretch starting before the track is named by the track's first sample.
  f.random = {{38, 4}};
  auto drive = disc.Drive(f);
  EXPECT_EQ(Read(*drive, disc, 2, 0, true).proof.suspiciousSamples, std::vector<uint32_t>{0});
}

TEST(SecureRead, ProgressClimbsOverBothPassesAndAbortStopsTheRereads) {
  Disc disc;
  DriveFaults f;
  f.random = {{120, 2}};
  auto image = disc.Drive(f);
  CountingDrive drive(*image);
  Ripped r = Read(drive, disc, 2, 0, true);
  ASSERT_EQ(r.result.outcome, ReadOutcome::Done);
  ASSERT_GE(r.progress.size(), 3u);
  EXPECT_EQ(r.progress.front(), 0);
  EXPECT_EQ(r.progress.back(), 1000);
  for (size_t i = 1; i < r.progress.size(); ++i) EXPECT_GT(r.progress[i], r.progress[i - 1]);
  bool halfway = false;
  for (int32_t pm : r.progress) halfway |= pm >= 400 && pm <= 600;
  EXPECT_TRUE(halfway);
  // 2 chunks x 2 passes + 16 re-reads.
  EXPECT_EQ(drive.calls, 4 + kMaxRereads);

  std::atomic<bool> abort{false};
  auto image2 = disc.Drive(f);
  CountingDrive stopping(*image2);
  stopping.abort = &abort;
  stopping.abortOn = 7;  // the third re-read
  Ripped a = Read(stopping, disc, 2, 0, true, &abort);
  EXPECT_EQ(a.result.outcome, ReadOutcome::Aborted);
  EXPECT_EQ(stopping.calls, 7);
  EXPECT_FALSE(a.proof.valid);
  EXPECT_LT(a.progress.back(), 1000);
}

TEST(ReadOffset, ReadableSpanLeavesOutDataTracksAndTheSessionGap) {
  uint32_t first = 9, end = 9;
  DiscInfo plain;
  plain.tracks = {{1, true, 0, 500}, {2, true, 500, 900}};
  plain.leadOutLba = 900;
  ReadableSpan(plain, first, end);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(end, 900u);
  DiscInfo enhanced;  // audio ends one session gap before the data track
  enhanced.tracks = {{1, true, 0, 500}, {2, false, 11900, 13000}};
  enhanced.leadOutLba = 13000;
  ReadableSpan(enhanced, first, end);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(end, 500u);
  DiscInfo mixed;
  mixed.tracks = {{1, false, 0, 600}, {2, true, 750, 1000}};
  mixed.leadOutLba = 1000;
  ReadableSpan(mixed, first, end);
  EXPECT_EQ(first, 750u);
  EXPECT_EQ(end, 1000u);
}

// A caller that gives no readable span still gets the track, not silence.
TEST(ReadOffset, NoSpanGivenReadsTheDisc) {
  Disc disc;
  auto drive = disc.Drive();
  TrackReadPlan plan;
  plan.startLba = 40;
  plan.endLba = 160;
  plan.options.offsetSamples = -3;
  MemSink sink;
  std::atomic<bool> abort{false};
  ASSERT_EQ(ReadTrack(*drive, plan, sink, abort, nullptr).outcome, ReadOutcome::Done);
  EXPECT_TRUE(sink.Audio() == disc.Shifted(2, -3));
}
