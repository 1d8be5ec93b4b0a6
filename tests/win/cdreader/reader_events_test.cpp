// The reader's threading and event rules against a simulated, slow drive.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "components/cdreader/reader_drives.h"
#include "components/cdreader/track_read.h"
#include "components/cdreader/wave_player.h"
#include "ripper/engine/ui_dispatch.h"
#include "win_test_util.h"

namespace {

struct DriveStats {
  std::atomic<int> reads{0};
  std::atomic<uint32_t> frames{0};
  std::atomic<DWORD> thread{0};
};

// 10 audio frames a read, 20 ms each: a 600-frame track takes over a second.
class SlowDrive : public cdr::CdDevice {
 public:
  explicit SlowDrive(DriveStats* s) : stats(s) {}
  bool ReadToc(cdr::DiscInfo& d, std::wstring&) override {
    d.tracks = {{1, true, 0, 600}, {2, false, 600, 700}, {3, true, 700, 710}};
    d.leadOutLba = 710;
    return true;
  }
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) override {
    ++stats->reads;
    stats->frames += count;
    stats->thread = GetCurrentThreadId();
    Sleep(20);
    for (size_t i = 0; i < size_t(count) * 2352; ++i) out[i] = uint8_t(lba + i);
    return true;
  }
  uint32_t MaxFramesPerRead() const override { return 10; }
  DriveStats* stats;
};

class ReaderEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UiDispatchInit());
    cdr::DriveSpec simulated;
    simulated.description = L"Simulated drive";
    simulated.open = [this](std::wstring&) -> std::unique_ptr<cdr::CdDevice> {
      return std::make_unique<SlowDrive>(&stats);
    };
    cdr::DriveSpec broken;
    broken.description = L"Drive without a disc";
    broken.open = [](std::wstring& error) -> std::unique_ptr<cdr::CdDevice> {
      error = L"No readable disc in drive Q:";
      return nullptr;
    };
    reader = cdr::CreateCdReaderFor({simulated, broken});
    reader->SetEvents(&rec);
    reader->SelectDrive(1);
  }
  void TearDown() override {
    reader.reset();
    UiDispatchShutdown();
  }

  DriveStats stats;
  ScratchDir dir;
  Recorder rec;
  std::unique_ptr<CdReader> reader;
};

TEST_F(ReaderEvents, ReadsRunOnAWorkerAndOnlyAudioTracksCount) {
  EXPECT_EQ(reader->DriveCount(), 2);
  EXPECT_EQ(reader->TrackCount(), 2);      // the data track is not listed
  EXPECT_EQ(reader->TrackLength(2), 133);  // disc track 3: 10 frames
  ASSERT_EQ(reader->ReadTrackToWav(2, dir.File(L"t.wav")), 0);
  ASSERT_TRUE(PumpUntil([&] { return rec.Finals() > 0; }));
  EXPECT_EQ(rec.events.back().kind, Recorded::Done);
  EXPECT_NE(stats.thread.load(), GetCurrentThreadId());
  auto wav = ReadBytes(dir.File(L"t.wav"));
  ASSERT_EQ(wav.size(), 44u + 10 * 2352);
  EXPECT_EQ(wav[44], uint8_t(700));  // starts at disc track 3's LBA
}

TEST_F(ReaderEvents, AbortStopsTheReadAndNothingFollows) {
  std::wstring wav = dir.File(L"long.wav");
  ASSERT_EQ(reader->ReadTrackToWav(1, wav), 0);
  ASSERT_TRUE(PumpUntil([&] {
    return !rec.events.empty() && rec.events.back().kind == Recorded::Progress &&
           rec.events.back().value >= 100;
  }));
  reader->AbortRead();
  int readsAtAbort = stats.reads;
  size_t eventsAtAbort = rec.events.size();
  PumpFor(500);
  EXPECT_EQ(rec.events.size(), eventsAtAbort);  // no progress, no ReadDone, no ReadError
  EXPECT_EQ(rec.Finals(), 0);
  EXPECT_LE(stats.reads, readsAtAbort + 1);
  // The partial file is closed and stays a valid WAV of what was read.
  auto file = ReadBytes(wav);
  ASSERT_GT(file.size(), 44u);
  EXPECT_LT(file.size(), 44u + 600 * 2352);
  uint32_t data;
  std::memcpy(&data, &file[40], 4);
  EXPECT_EQ(data, file.size() - 44);
  EXPECT_TRUE(DeleteFileW(wav.c_str()));
  // The next read goes through normally.
  rec.events.clear();
  ASSERT_EQ(reader->ReadTrackToWav(2, dir.File(L"next.wav")), 0);
  ASSERT_TRUE(PumpUntil([&] { return rec.Finals() > 0; }));
  EXPECT_EQ(rec.events.back().kind, Recorded::Done);
  EXPECT_EQ(rec.Finals(), 1);
}

TEST_F(ReaderEvents, AbortWithoutAReadAndBeforeTheFirstEventIsHarmless) {
  reader->AbortRead();
  reader->BeginSession();
  ASSERT_EQ(reader->ReadTrackToWav(1, dir.File(L"a.wav")), 0);
  reader->AbortRead();  // events may already be queued: all are dropped
  PumpFor(300);
  EXPECT_TRUE(rec.events.empty());
  reader->EndSession();
}

TEST_F(ReaderEvents, SecondReadWhileOneRunsIsRefused) {
  ASSERT_EQ(reader->ReadTrackToWav(1, dir.File(L"a.wav")), 0);
  EXPECT_EQ(reader->ReadTrackToWav(2, dir.File(L"b.wav")), cdr::kErrBusy);
  EXPECT_EQ(reader->LastError(), L"A read is already running");
  ASSERT_TRUE(PumpUntil([&] { return rec.Finals() == 2; }));
  // The refused read reports its error at once; the running one is not
  // disturbed and still ends with its own ReadDone.
  std::vector<Recorded> finals;
  for (const auto& e : rec.events)
    if (e.kind != Recorded::Progress) finals.push_back(e);
  EXPECT_EQ(finals[0].kind, Recorded::Error);
  EXPECT_EQ(finals[0].value, cdr::kErrBusy);
  EXPECT_EQ(finals[1].kind, Recorded::Done);
  EXPECT_EQ(ReadBytes(dir.File(L"a.wav")).size(), 44u + 600 * 2352);
  EXPECT_FALSE(Exists(dir.File(L"b.wav")));
}

TEST_F(ReaderEvents, DriveWithoutDiscReportsWhy) {
  reader->SelectDrive(2);
  EXPECT_EQ(reader->TrackCount(), 0);
  EXPECT_EQ(reader->LastError(), L"No readable disc in drive Q:");
  EXPECT_NE(reader->ReadTrackToWav(1, dir.File(L"a.wav")), 0);
  ASSERT_TRUE(PumpUntil([&] { return rec.Finals() > 0; }));
  EXPECT_EQ(rec.events.back().value, cdr::kErrNoDisc);
  EXPECT_EQ(rec.events.back().message, L"No readable disc in drive Q:");
  reader->SelectDrive(3);
  EXPECT_EQ(reader->LastError(), L"Drive 3 does not exist");
  EXPECT_EQ(reader->DriveDescription(0), L"");
}

TEST_F(ReaderEvents, ReadRefusedWhenEventsCannotBeDelivered) {
  UiDispatchShutdown();
  EXPECT_EQ(reader->ReadTrackToWav(1, dir.File(L"a.wav")), cdr::kErrStart);
  EXPECT_FALSE(reader->LastError().empty());
  EXPECT_FALSE(Exists(dir.File(L"a.wav")));
  ASSERT_TRUE(UiDispatchInit());
}

TEST_F(ReaderEvents, DestroyingTheReaderMidReadDeliversNothing) {
  ASSERT_EQ(reader->ReadTrackToWav(1, dir.File(L"a.wav")), 0);
  PumpFor(100);
  reader.reset();
  size_t before = rec.events.size();
  PumpFor(300);
  EXPECT_EQ(rec.events.size(), before);
  EXPECT_EQ(rec.Finals(), 0);
}

}  // namespace

TEST(WavePlayer, PlaysTheRangeToItsEndAndStopsWhenAsked) {
  DriveStats stats;
  cdr::WavePlayer player;
  std::wstring error;
  if (!player.Start(std::make_unique<SlowDrive>(&stats), 0, 75, error)) {
    EXPECT_NE(error.find(L"No sound device"), std::wstring::npos) << Narrow(error);
    GTEST_SKIP() << Narrow(error);
  }
  // One second of audio ends by itself, every frame fed to the device.
  EXPECT_TRUE(PumpUntil([&] { return !player.Playing(); }, 15000));
  EXPECT_EQ(stats.frames.load(), 75u);

  DriveStats longStats;
  ASSERT_TRUE(player.Start(std::make_unique<SlowDrive>(&longStats), 0, 75 * 600, error));
  Sleep(300);
  EXPECT_TRUE(player.Playing());
  DWORD t0 = GetTickCount();
  player.Stop();
  EXPECT_LT(GetTickCount() - t0, 3000u);
  EXPECT_FALSE(player.Playing());
  EXPECT_LT(longStats.frames.load(), 75u * 600);
}
