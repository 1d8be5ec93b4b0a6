// The reader on disc images whose drive file makes them a worn disc in a
// real drive: read-offset correction, secure reading, a slow drive.
#include <gtest/gtest.h>

#include <cstring>

#include "components/accuraterip/ar_checksum.h"
#include "components/cdreader/cdreader.h"
#include "components/cdreader/track_read.h"
#include "ripper/engine/ui_dispatch.h"
#include "win_test_util.h"

namespace {

// Three tracks: LBA 0, 225 and 525; lead-out 750.
class FaultyDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UiDispatchInit());
    plan = discimage::MakePlan("worn", {3, 4, 3}, 0, false);
    cue = WriteImage(dir, plan, 21);
    disc = ReadBytes(dir.File(L"worn.bin"));
    ASSERT_EQ(disc.size(), 750u * 2352);
  }
  void TearDown() override {
    reader.reset();
    UiDispatchShutdown();
  }

  void Open(const std::string& driveFile) {
    ASSERT_TRUE(WriteAll(dir.File(L"worn.drive"), driveFile));
    reader = CreateCdReader({cue});
    reader->SetEvents(&rec);
    reader->SelectDrive(reader->DriveCount());
    ASSERT_EQ(reader->TrackCount(), 3) << Narrow(reader->LastError());
    reader->BeginSession();
  }

  // The track's audio as written, after one final event.
  std::vector<uint8_t> Rip(int16_t track, int32_t correction, bool secure) {
    ReadOptions o;
    o.offsetSamples = correction;
    o.secure = secure;
    o.checksums = true;
    reader->SetReadOptions(o);
    rec.events.clear();
    std::wstring wav = dir.File(L"Track.wav");
    EXPECT_EQ(reader->ReadTrackToWav(track, wav), 0);
    EXPECT_TRUE(PumpUntil([&] { return rec.Finals() > 0; }));
    EXPECT_EQ(rec.events.back().kind, Recorded::Done) << Narrow(rec.events.back().message);
    auto file = ReadBytes(wav);
    DeleteFileW(wav.c_str());
    return file.size() >= 44 ? std::vector<uint8_t>(file.begin() + 44, file.end()) : std::vector<uint8_t>{};
  }

  // The image's bytes of track t taken shifted by s samples, silence off the disc.
  std::vector<uint8_t> Clean(int t, int64_t s) const {
    int64_t start = int64_t(plan.tracks[t - 1].startLba) * 2352 + s * 4;
    uint32_t end = t < 3 ? plan.tracks[t].startLba : plan.leadOutLba;
    std::vector<uint8_t> out(size_t(end - plan.tracks[t - 1].startLba) * 2352);
    for (size_t i = 0; i < out.size(); ++i) {
      int64_t at = start + int64_t(i);
      if (at >= 0 && at < int64_t(disc.size())) out[i] = disc[size_t(at)];
    }
    return out;
  }

  ScratchDir dir;
  Recorder rec;
  discimage::Plan plan;
  std::wstring cue;
  std::vector<uint8_t> disc;
  std::unique_ptr<CdReader> reader;
};

uint32_t Crc(const std::vector<uint8_t>& b) { return ar::Crc32(0, b.data(), b.size()); }

TEST_F(FaultyDrive, OffsetSixReadAtCorrectionSixGivesTheDiscsAudio) {
  Open("# a drive that reads 6 samples early\r\noffset +6\r\n");
  EXPECT_FALSE(reader->LastTrackProof().valid);
  for (int16_t t : {1, 2}) {
    auto right = Rip(t, 6, false);
    EXPECT_TRUE(right == Clean(t, 0)) << "track " << t;
    TrackProof p = reader->LastTrackProof();
    EXPECT_TRUE(p.valid);
    EXPECT_FALSE(p.secure);
    EXPECT_EQ(p.crc, Crc(Clean(t, 0)));
    // At 0 the audio comes 6 samples late.
    auto late = Rip(t, 0, false);
    EXPECT_FALSE(late == Clean(t, 0));
    EXPECT_TRUE(late == Clean(t, -6)) << "track " << t;
    EXPECT_EQ(reader->LastTrackProof().crc, Crc(Clean(t, -6)));
  }
}

// The proof's checksums skip the start of the disc's first audio track and
// the end of its last: the reader tells the checksums which track it reads.
TEST_F(FaultyDrive, ProofCountsTheDiscsFirstAndLastTrackAndSurvivesAFailedRead) {
  Open("");
  for (int16_t t = 1; t <= 3; ++t) {
    auto audio = Rip(t, 0, false);
    ASSERT_TRUE(audio == Clean(t, 0));
    ar::TrackChecksums sums(uint32_t(audio.size() / 4), t == 1, t == 3);
    sums.Add(audio.data(), audio.size());
    TrackProof p = reader->LastTrackProof();
    EXPECT_EQ(p.arV1, sums.V1()) << t;
    EXPECT_EQ(p.arV2, sums.V2()) << t;
    EXPECT_EQ(p.crc, sums.Crc()) << t;
  }
  uint32_t last = reader->LastTrackProof().crc;
  rec.events.clear();
  EXPECT_NE(reader->ReadTrackToWav(9, dir.File(L"none.wav")), 0);
  EXPECT_TRUE(PumpUntil([&] { return rec.Finals() > 0; }));
  EXPECT_TRUE(reader->LastTrackProof().valid);
  EXPECT_EQ(reader->LastTrackProof().crc, last);
  reader->BeginSession();
  EXPECT_FALSE(reader->LastTrackProof().valid);
}

TEST_F(FaultyDrive, SecureReadingRecoversSectorsThatReadWrongAtFirst) {
  Open("flaky 300-309 3\nflaky 224-225 1\n");
  auto plain = Rip(2, 0, false);
  EXPECT_FALSE(plain == Clean(2, 0));  // one read alone keeps the damage
  auto audio = Rip(2, 0, true);
  EXPECT_TRUE(audio == Clean(2, 0));
  TrackProof p = reader->LastTrackProof();
  EXPECT_TRUE(p.valid);
  EXPECT_TRUE(p.secure);
  EXPECT_EQ(p.crc, Crc(Clean(2, 0)));
  EXPECT_NE(p.testCrc, p.crc);
  EXPECT_GT(p.rereads, 0);
  EXPECT_TRUE(p.suspiciousSamples.empty());
}

TEST_F(FaultyDrive, SecureReadingReportsWhereSectorsNeverReadAlike) {
  Open("offset +6\nrandom 400-402\nrandom 500\n");
  auto audio = Rip(2, 6, true);
  TrackProof p = reader->LastTrackProof();
  ASSERT_TRUE(p.valid);
  EXPECT_EQ(p.suspiciousSamples, (std::vector<uint32_t>{(400 - 225) * 588 - 6, (500 - 225) * 588 - 6}));
  EXPECT_GE(p.rereads, cdr::kMaxRereads);
  EXPECT_NE(p.crc, Crc(Clean(2, 0)));
  // Outside the doubtful sectors the audio is the disc's.
  auto clean = Clean(2, 0);
  ASSERT_EQ(audio.size(), clean.size());
  size_t bad1 = (size_t(400 - 225) * 588 - 6) * 4, bad2 = (size_t(500 - 225) * 588 - 6) * 4;
  EXPECT_TRUE(std::equal(audio.begin(), audio.begin() + bad1, clean.begin()));
  EXPECT_TRUE(std::equal(audio.begin() + bad1 + 3 * 2352, audio.begin() + bad2, clean.begin() + bad1 + 3 * 2352));
  EXPECT_TRUE(std::equal(audio.begin() + bad2 + 2352, audio.end(), clean.begin() + bad2 + 2352));
}

// A drive at 0.05x needs 60 s for a 3 s track; an abort ends the read at
// once, so that the next read is not refused as busy.
TEST_F(FaultyDrive, AbortEndsASlowDrivesReadAtOnce) {
  Open("speed 0.05x\n");
  rec.events.clear();
  ASSERT_EQ(reader->ReadTrackToWav(1, dir.File(L"slow.wav")), 0);
  ASSERT_TRUE(PumpUntil([&] { return !rec.events.empty(); }));
  reader->AbortRead();
  EXPECT_EQ(reader->ReadTrackToWav(3, dir.File(L"next.wav")), 0) << Narrow(reader->LastError());
  reader->AbortRead();
}

TEST_F(FaultyDrive, BadDriveFileIsNamedWithItsLine) {
  ASSERT_TRUE(WriteAll(dir.File(L"worn.drive"), std::string("offset 6\nwobble 3\n")));
  reader = CreateCdReader({cue});
  reader->SelectDrive(reader->DriveCount());
  EXPECT_EQ(reader->TrackCount(), 0);
  std::string why = Narrow(reader->LastError());
  EXPECT_NE(why.find("worn.drive"), std::string::npos) << why;
  EXPECT_NE(why.find("line 2: unknown setting 'wobble'"), std::string::npos) << why;
}

}  // namespace
