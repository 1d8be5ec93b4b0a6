// The reader on disc images written to disk, through the public factory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "components/cdreader/cdreader.h"
#include "components/cdreader/track_read.h"
#include "ripper/engine/ui_dispatch.h"
#include "win_test_util.h"

namespace {

class ImageReader : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(UiDispatchInit()); }
  void TearDown() override {
    reader.reset();
    UiDispatchShutdown();
  }

  // Opens the reader on the given CUE sheets; returns the first image's drive.
  int16_t Open(const std::vector<std::wstring>& cues) {
    reader = CreateCdReader(cues);
    reader->SetEvents(&rec);
    EXPECT_EQ(reader->InitAspi(), 0);
    return int16_t(reader->DriveCount() - int16_t(cues.size()) + 1);
  }

  // Reads a track and waits for its one final event.
  int16_t ReadAndWait(int16_t track, const std::wstring& wav) {
    rec.events.clear();
    int16_t status = reader->ReadTrackToWav(track, wav);
    EXPECT_TRUE(PumpUntil([&] { return rec.Finals() > 0; }));
    PumpFor(200);  // nothing may follow the final event
    EXPECT_EQ(rec.Finals(), 1);
    return status;
  }

  // The image's bytes of disc frames [start, end).
  std::vector<uint8_t> DiscBytes(const discimage::Plan& plan, const ScratchDir& dir, uint32_t start,
                                 uint32_t end) {
    std::vector<uint8_t> disc;
    for (const auto& name : plan.files) {
      auto b = ReadBytes(dir.File(std::wstring(name.begin(), name.end())));
      disc.insert(disc.end(), b.begin(), b.end());
    }
    return std::vector<uint8_t>(disc.begin() + size_t(start) * 2352, disc.begin() + size_t(end) * 2352);
  }

  ScratchDir dir;
  Recorder rec;
  std::unique_ptr<CdReader> reader;
};

TEST_F(ImageReader, ListsEachImageAndItsTracks) {
  auto plan = discimage::MakePlan("demo", {5, 12.5, 3}, 2, false);
  auto other = discimage::MakePlan("other", {1}, 0, false);
  std::wstring cue = WriteImage(dir, plan, 1);
  WriteImage(dir, other, 2);
  int16_t d = Open({cue, dir.File(L"other.cue")});
  EXPECT_NE(reader->DriveDescription(d).find(L"demo.cue"), std::wstring::npos);
  EXPECT_NE(reader->DriveDescription(d + 1).find(L"other.cue"), std::wstring::npos);
  reader->SelectDrive(d);
  ASSERT_EQ(reader->TrackCount(), 3) << Narrow(reader->LastError());
  EXPECT_EQ(reader->LastError(), L"");
  // Track 1 runs into track 2's 2 s pregap: 7 s; track 2 likewise 14.5 s.
  EXPECT_EQ(reader->TrackLength(1), 7000);
  EXPECT_EQ(reader->TrackLength(2), 14506);  // 1088 frames
  EXPECT_EQ(reader->TrackLength(3), 3000);
  EXPECT_EQ(reader->TrackLength(4), 0);
  EXPECT_EQ(reader->LastError(), L"Track 4 does not exist");
  DiscToc toc;
  ASSERT_TRUE(reader->SelectedToc(toc));
  ASSERT_EQ(toc.trackStartLba.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(toc.trackStartLba[i], plan.tracks[i].startLba);
  EXPECT_EQ(toc.leadOutLba, plan.leadOutLba);
  reader->SelectDrive(d + 1);
  EXPECT_EQ(reader->TrackCount(), 1);
  reader->SelectDrive(0);
  EXPECT_EQ(reader->TrackCount(), 0);
  EXPECT_FALSE(reader->LastError().empty());
  EXPECT_FALSE(reader->SelectedToc(toc));
}

// An Enhanced CD (data track last) and a mixed-mode CD (data track first):
// the reader lists the audio tracks only, but disc identification gets
// every track and the whole disc's lead-out.
TEST_F(ImageReader, DataTracksAreInTheTocForIdentification) {
  for (bool dataFirst : {false, true}) {
    ScratchDir sub;
    auto plan = dataFirst
                    ? discimage::MakePlan("mixed", {5, 3, 4, 2}, 0, false, {true})
                    : discimage::MakePlan("enhanced", {3, 4, 2, 5}, 0, false, {false, false, false, true});
    reader.reset();
    reader = CreateCdReader({WriteImage(sub, plan, 1)});
    reader->SelectDrive(reader->DriveCount());
    EXPECT_EQ(reader->TrackCount(), 3) << dataFirst;
    DiscToc toc;
    ASSERT_TRUE(reader->SelectedToc(toc));
    ASSERT_EQ(toc.trackStartLba.size(), 4u) << dataFirst;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(toc.trackStartLba[i], plan.tracks[i].startLba) << dataFirst;
    EXPECT_EQ(toc.leadOutLba, plan.leadOutLba);
  }
}

TEST_F(ImageReader, WavHoldsExactlyTheTracksBytesInOneOrSeveralFiles) {
  for (bool split : {false, true}) {
    ScratchDir sub;
    auto plan = discimage::MakePlan("disc", {3, 4.2, 2}, 1, split);
    int16_t d = Open({WriteImage(sub, plan, 5)});
    reader->SelectDrive(d);
    ASSERT_EQ(reader->TrackCount(), 3);
    for (int16_t t = 1; t <= 3; ++t) {
      std::wstring wav = sub.File(L"Track0" + std::to_wstring(t) + L".wav");
      ASSERT_EQ(ReadAndWait(t, wav), 0);
      ASSERT_EQ(rec.events.back().kind, Recorded::Done) << Narrow(rec.events.back().message);
      uint32_t start = plan.tracks[t - 1].startLba;
      uint32_t end = t < 3 ? plan.tracks[t].startLba : plan.leadOutLba;
      auto file = ReadBytes(wav);
      ASSERT_EQ(file.size(), 44 + size_t(end - start) * 2352) << split << " track " << t;
      EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
      auto want = DiscBytes(plan, sub, start, end);
      EXPECT_TRUE(std::equal(want.begin(), want.end(), file.begin() + 44)) << split << t;
      EXPECT_TRUE(DeleteFileW(wav.c_str()));  // closed before ReadDone
    }
  }
}

TEST_F(ImageReader, EventsArriveOnTheUiThreadInOrder) {
  auto plan = discimage::MakePlan("disc", {20}, 0, false);
  int16_t d = Open({WriteImage(dir, plan, 3)});
  reader->SelectDrive(d);
  std::wstring wav = dir.File(L"a.wav");
  bool sizeKnownAtDone = false;
  rec.onFinal = [&] { sizeKnownAtDone = ReadBytes(wav).size() == 44 + 1500 * 2352; };
  ASSERT_EQ(ReadAndWait(1, wav), 0);
  EXPECT_TRUE(sizeKnownAtDone);
  ASSERT_GE(rec.events.size(), 3u);
  EXPECT_EQ(rec.events.front().kind, Recorded::Progress);
  EXPECT_EQ(rec.events.front().value, 0);
  EXPECT_EQ(rec.events.back().kind, Recorded::Done);
  int32_t last = -1;
  for (size_t i = 0; i + 1 < rec.events.size(); ++i) {
    EXPECT_EQ(rec.events[i].kind, Recorded::Progress);
    EXPECT_GT(rec.events[i].value, last);
    last = rec.events[i].value;
  }
  EXPECT_EQ(last, 1000);
  for (const auto& e : rec.events) EXPECT_TRUE(e.onUiThread);
}

TEST_F(ImageReader, ReadsThatCannotStartStillEndWithOneReadError) {
  auto plan = discimage::MakePlan("disc", {1, 1}, 0, false);
  int16_t d = Open({WriteImage(dir, plan, 1)});
  reader->SelectDrive(d);

  EXPECT_NE(ReadAndWait(12, dir.File(L"x.wav")), 0);
  EXPECT_EQ(rec.events.back().kind, Recorded::Error);
  EXPECT_EQ(rec.events.back().value, cdr::kErrNoSuchTrack);
  EXPECT_EQ(rec.events.back().message, L"Track 12 does not exist");
  EXPECT_TRUE(rec.events.back().onUiThread);
  EXPECT_FALSE(Exists(dir.File(L"x.wav")));

  std::wstring bad = dir.File(L"no such folder\\Track01.wav");
  EXPECT_NE(ReadAndWait(1, bad), 0);
  EXPECT_EQ(rec.events.back().kind, Recorded::Error);
  EXPECT_EQ(rec.events.back().value, cdr::kErrCreateFile);
  EXPECT_EQ(rec.events.back().message.rfind(L"Cannot create file " + bad + L": ", 0), 0u)
      << Narrow(rec.events.back().message);
  EXPECT_EQ(reader->LastError(), rec.events.back().message);

  // A good read after the failures works as usual.
  EXPECT_EQ(ReadAndWait(2, dir.File(L"ok.wav")), 0);
  EXPECT_EQ(rec.events.back().kind, Recorded::Done);
}

TEST_F(ImageReader, BrokenImagesGiveClearErrors) {
  auto plan = discimage::MakePlan("gone", {1}, 0, false);
  std::wstring cue = WriteImage(dir, plan, 1);
  DeleteFileW(dir.File(L"gone.bin").c_str());
  WriteAll(dir.File(L"bad.cue"), "FILE x.bin BINARY\r\nTRACK 01 AUDIO\r\nINDEX 01 00:99:00\r\n");
  int16_t d = Open({cue, dir.File(L"bad.cue"), dir.File(L"missing.cue")});
  reader->SelectDrive(d);
  EXPECT_EQ(reader->TrackCount(), 0);
  EXPECT_NE(reader->LastError().find(L"gone.bin"), std::wstring::npos) << Narrow(reader->LastError());
  EXPECT_NE(ReadAndWait(1, dir.File(L"t.wav")), 0);
  EXPECT_EQ(rec.events.back().kind, Recorded::Error);
  EXPECT_EQ(rec.events.back().value, cdr::kErrNoDisc);
  EXPECT_NE(rec.events.back().message.find(L"gone.bin"), std::wstring::npos);

  reader->SelectDrive(d + 1);
  EXPECT_EQ(reader->TrackCount(), 0);
  EXPECT_NE(reader->LastError().find(L"line 3"), std::wstring::npos) << Narrow(reader->LastError());
  reader->SelectDrive(d + 2);
  EXPECT_EQ(reader->TrackCount(), 0);
  EXPECT_NE(reader->LastError().find(L"missing.cue"), std::wstring::npos);
}

TEST_F(ImageReader, RelativeFileNamesAndBlanksResolveAgainstTheSheet) {
  auto plan = discimage::MakePlan("My Disc", {1}, 0, false);
  WriteImage(dir, plan, 1);
  // Unquoted name with blanks, written relative to the sheet's folder.
  WriteAll(dir.File(L"unquoted.cue"), "FILE My Disc.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  wchar_t cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);
  SetCurrentDirectoryW(dir.path.c_str());
  int16_t d = Open({L"unquoted.cue"});  // relative to the working folder at start
  SetCurrentDirectoryW(cwd);
  reader->SelectDrive(d);
  EXPECT_EQ(reader->TrackCount(), 1) << Narrow(reader->LastError());
  EXPECT_NE(reader->DriveDescription(d).find(dir.path), std::wstring::npos);
}

TEST_F(ImageReader, PlayingAnImageNeedsASoundDevice) {
  auto plan = discimage::MakePlan("disc", {2}, 0, false);
  int16_t d = Open({WriteImage(dir, plan, 1)});
  reader->SelectDrive(d);
  EXPECT_NE(reader->PlayTrack(0, 0, -1), 0);
  EXPECT_EQ(reader->LastError(), L"Track 0 does not exist");
  int16_t r = reader->PlayTrack(1, 0, -1);
  std::printf("PlayTrack on this machine: %d %s\n", r, Narrow(reader->LastError()).c_str());
  if (r != 0) {
    EXPECT_NE(reader->LastError().find(L"No sound device"), std::wstring::npos)
        << Narrow(reader->LastError());
  } else {
    EXPECT_EQ(reader->LastError(), L"");
    PumpFor(300);
  }
  reader->StopPlay();
  // Reading right after playing is unaffected.
  EXPECT_EQ(ReadAndWait(1, dir.File(L"p.wav")), 0);
  EXPECT_EQ(rec.events.back().kind, Recorded::Done);
}

}  // namespace
