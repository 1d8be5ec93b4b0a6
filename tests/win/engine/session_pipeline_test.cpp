// The session with the real reader on a simulated 8x drive and K real
// encoders: reads overlap encodes, yet the log reads track by track; ABORT
// stops the read and every encode; a failed encode stops no other. With
// WQ_PIPELINE_OUT set, the MP3s of every K and each track's audio as a WAV
// are copied there for check_pipeline.sh to compare with Debian's lame.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "components/cdreader/cdreader.h"
#include "components/cdreader/wav_header.h"
#include "components/mp3enc/mp3enc.h"
#include "fake_components.h"
#include "session_fixture.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/form2_ids.h"
#include "ripper/engine/session.h"
#include "ripper/engine/ui_dispatch.h"
#include "ripper/engine/user_message.h"
#include "tools/discimage/image_plan.h"

namespace {

constexpr uint32_t kSeed = 24;

struct Watch {
  bool reading = false;        // between a read's first progress and its end
  int encodesBesideReads = 0;  // encode progress that came while a read ran
  std::function<void(int32_t)> onReadProgress;
};

struct ReaderEvents : CdReaderEvents {
  ReaderEvents(FakeHost& h, Watch& w) : host(h), watch(w) {}
  FakeHost& host;
  Watch& watch;
  void ReadProgress(int32_t perMille) override {
    watch.reading = perMille < 1000;
    if (watch.onReadProgress) watch.onReadProgress(perMille);
    SessionReadProgress(host, perMille);
  }
  void ReadDone() override {
    watch.reading = false;
    SessionReadDone(host);
  }
  void ReadError(int32_t code, const std::wstring& message) override {
    watch.reading = false;
    SessionReadError(host, code, message);
  }
};

struct SlotEvents : Mp3EncoderEvents {
  SlotEvents(FakeHost& h, Watch& w, int s) : host(h), watch(w), slot(s) {}
  FakeHost& host;
  Watch& watch;
  int slot;
  void EncodeProgress(int32_t done) override {
    if (watch.reading) ++watch.encodesBesideReads;
    SessionEncodeProgress(host, slot, done);
  }
  void EncodeDone() override { SessionEncodeDone(host, slot); }
};

class PipelineSession : public SessionFixture {
 protected:
  void TearDown() override {
    host.realReader = nullptr;
    host.realEncoder = nullptr;
    host.moreEncoders.clear();
    reader.reset();
    encoders.clear();
    SessionFixture::TearDown();
  }

  // A disc of tracks of these lengths on a drive reading at 8x.
  void MakeDisc(const std::vector<double>& seconds) {
    plan = discimage::MakePlan("pipe", seconds, 0, false);
    std::vector<uint8_t> bin;
    for (const auto& t : plan.tracks) {
      const size_t at = bin.size();
      bin.resize(at + size_t(t.audioFrames) * discimage::kFrameBytes);
      discimage::TrackAudio(kSeed, t.number, 0, t.audioFrames, bin.data() + at);
    }
    ASSERT_TRUE(WriteAll(disc.File(L"pipe.bin"), bin));
    ASSERT_TRUE(WriteAll(disc.File(L"pipe.cue"), discimage::CueText(plan)));
    ASSERT_TRUE(WriteAll(disc.File(L"pipe.drive"), std::string("speed 8x\n")));
    reader = CreateCdReader({disc.File(L"pipe.cue")});
    readerEvents = std::make_unique<ReaderEvents>(host, watch);
    reader->SetEvents(readerEvents.get());
    ASSERT_EQ(reader->InitAspi(), 0);
    reader->SelectDrive(reader->DriveCount());
    ASSERT_EQ(reader->TrackCount(), static_cast<int16_t>(seconds.size()));
    host.realReader = reader.get();
    host.selected.assign(seconds.size(), true);
    bin_ = std::move(bin);
  }

  void UseEncoders(int k) {
    host.moreEncoders.clear();
    encoders.clear();
    slotEvents.clear();
    for (int s = 0; s < k; ++s) {
      encoders.push_back(CreateMp3Encoder());
      slotEvents.push_back(std::make_unique<SlotEvents>(host, watch, s));
      encoders.back()->SetEvents(slotEvents.back().get());
      if (s == 0)
        host.realEncoder = encoders.back().get();
      else
        host.moreEncoders.push_back(encoders.back().get());
    }
  }

  std::wstring Out(const std::wstring& name) { return host.folder + L"\\" + name; }
  static std::wstring Nn(int n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); }

  std::vector<std::string> Undated() {
    std::vector<std::string> out;
    for (const std::string& l : SplitCrLf(ReadAll(Out(L"trackforge.log"))))
      if (l.rfind("Starting Session (", 0) != 0 && l.rfind("Ending Session (", 0) != 0) out.push_back(l);
    return out;
  }
  std::vector<std::string> Sequential(int tracks) {
    std::vector<std::string> l;
    for (int n = 1; n <= tracks; ++n) {
      const std::string nn = Narrow(Nn(n)), left = Narrow(Nn(tracks - n + 1));
      l.push_back("Reading Track  " + nn + ",   " + left + " Track(s) left");
      l.push_back("Encoding Track " + nn + ",   " + left + " Track(s) left");
    }
    l.push_back("");
    return l;
  }
  bool TemporaryFileLeft() {
    for (const std::wstring& name : FolderNames(host.folder))
      if (name.size() > 7 && name.compare(name.size() - 7, 7, L".wqpart") == 0) return true;
    return false;
  }

  // Track n's audio as the reader writes it.
  void WriteTrackWav(int n, const std::wstring& path) {
    const auto& t = plan.tracks.at(static_cast<size_t>(n - 1));
    const size_t bytes = size_t(t.audioFrames) * discimage::kFrameBytes;
    const auto header = cdr::MakeWavHeader(bytes);
    std::vector<uint8_t> wav(header.begin(), header.end());
    const uint8_t* audio = bin_.data() + size_t(t.startLba) * discimage::kFrameBytes;
    wav.insert(wav.end(), audio, audio + bytes);
    ASSERT_TRUE(WriteAll(path, wav));
  }

  ScratchDir disc{L"wqpipe-"};
  discimage::Plan plan;
  std::vector<uint8_t> bin_;
  Watch watch;
  std::unique_ptr<CdReader> reader;
  std::unique_ptr<ReaderEvents> readerEvents;
  std::vector<std::unique_ptr<Mp3Encoder>> encoders;
  std::vector<std::unique_ptr<SlotEvents>> slotEvents;
};

// K = 1, 2, 4 on the same disc: the same log, every MP3 in place, no WAV
// or temporary file left; with K > 1 encodes ran while the drive read.
TEST_F(PipelineSession, EveryKRipsTheSameInTrackOrder) {
  MakeDisc({6, 2, 4, 3});
  wchar_t outDir[MAX_PATH] = {};
  const bool copyOut = GetEnvironmentVariableW(L"WQ_PIPELINE_OUT", outDir, MAX_PATH) > 0;
  if (copyOut)
    for (int n = 1; n <= 4; ++n) WriteTrackWav(n, std::wstring(outDir) + L"\\ref-Track" + Nn(n) + L".wav");
  for (int k : {1, 2, 4}) {
    UseEncoders(k);
    watch.encodesBesideReads = 0;
    DeleteFileW(Out(L"trackforge.log").c_str());
    const DWORD begun = GetTickCount();
    RunSession(host, host.main);
    std::printf("K=%d: session %lu ms, encode progress beside reads: %d\n", k,
                static_cast<unsigned long>(GetTickCount() - begun), watch.encodesBesideReads);
    EXPECT_EQ(Undated(), Sequential(4)) << "K=" << k;
    for (int n = 1; n <= 4; ++n) {
      EXPECT_GT(FileSize(Out(L"Track" + Nn(n) + L".mp3")), 10000) << "K=" << k << " track " << n;
      EXPECT_EQ(FileSize(Out(L"Track" + Nn(n) + L".wav")), -1) << "K=" << k << " track " << n;
      if (copyOut) {
        const std::wstring copy = std::wstring(outDir) + L"\\K" + std::to_wstring(k) + L"-Track" + Nn(n) + L".mp3";
        EXPECT_TRUE(CopyFileW(Out(L"Track" + Nn(n) + L".mp3").c_str(), copy.c_str(), FALSE));
      }
    }
    EXPECT_FALSE(TemporaryFileLeft()) << "K=" << k;
    if (k == 1)
      EXPECT_EQ(watch.encodesBesideReads, 0);
    else
      EXPECT_GT(watch.encodesBesideReads, 0) << "K=" << k << ": no encode ran while the drive read";
  }
  EXPECT_TRUE(messages.empty());
}

// ABORT while track 2 is read and track 1's long encode runs: both stop at
// once, track 1's WAV stays whole beside no MP3 and no temporary file.
TEST_F(PipelineSession, AbortStopsTheReadAndTheEncodesAtOnce) {
  MakeDisc({40, 40, 5});
  UseEncoders(2);
  DWORD pressed = 0;
  watch.onReadProgress = [&](int32_t perMille) {
    // Track 2's read under way (the first read's progress is over).
    if (pressed || host.state.SelectedOrdinal != 2 || perMille < 100) return;
    pressed = GetTickCount();
    HWND form2 = Form2Window();
    PostMessageW(form2, WM_COMMAND, MAKEWPARAM(kIdForm2Command1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(form2, kIdForm2Command1)));
  };
  RunSession(host, host.main);
  const DWORD ended = GetTickCount();
  ASSERT_NE(pressed, 0u);
  std::printf("ABORT to the session's end: %lu ms\n", static_cast<unsigned long>(ended - pressed));
  EXPECT_EQ(messages, std::vector<std::wstring>{L"Ripping and Encoding Aborted"});
  EXPECT_EQ(Undated(), (std::vector<std::string>{"Reading Track  01,   03 Track(s) left",
                                                 "Encoding Track 01,   03 Track(s) left", "Encoding Aborted",
                                                 "Reading Track  02,   02 Track(s) left", "Reading Aborted", ""}));
  const auto& t1 = plan.tracks[0];
  EXPECT_EQ(FileSize(Out(L"Track01.wav")), static_cast<long>(44 + size_t(t1.audioFrames) * 2352));
  EXPECT_EQ(FileSize(Out(L"Track01.mp3")), -1);
  EXPECT_FALSE(TemporaryFileLeft());
  // The aim is 200 ms; the bound leaves room for a loaded machine.
  EXPECT_LT(ended - pressed, 1000u) << "the read or an encode did not stop at once";
}

// Track 2's old MP3 is held open by a player: its encode fails at the end
// while track 3's runs; track 2 keeps its WAV and its line, the others rip.
TEST_F(PipelineSession, LockedMp3InTheMiddleStopsNoOtherEncode) {
  MakeDisc({3, 3, 3});
  UseEncoders(2);
  ASSERT_TRUE(WriteBytes(Out(L"Track02.mp3"), 77));
  HANDLE player = CreateFileW(Out(L"Track02.mp3").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(player, INVALID_HANDLE_VALUE);
  RunSession(host, host.main);
  CloseHandle(player);
  std::vector<std::string> want = Sequential(3);
  want.insert(want.begin() + 4,
              "Error, no MP3 file for Track 02 (can not replace the old MP3 file: it is open in another program "
              "or protected) WAV file kept");
  EXPECT_EQ(Undated(), want);
  EXPECT_GT(FileSize(Out(L"Track01.mp3")), 10000);
  EXPECT_EQ(FileSize(Out(L"Track02.mp3")), 77);
  EXPECT_GT(FileSize(Out(L"Track02.wav")), 44);
  EXPECT_GT(FileSize(Out(L"Track03.mp3")), 10000);
  EXPECT_EQ(FileSize(Out(L"Track03.wav")), -1);
  EXPECT_FALSE(TemporaryFileLeft());
}

}  // namespace
