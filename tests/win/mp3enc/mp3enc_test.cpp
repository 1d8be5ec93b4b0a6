// The LAME encoder as the session drives it, under Wine: SetFiles refusals,
// events on the UI thread, abort, and the temporary-name discipline.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "components/mp3enc/mp3enc.h"
#include "components/mp3enc/set_files_status.h"
#include "ripper/engine/ui_dispatch.h"
#include "tests/win/common/test_files.h"
#include "tests/win/common/test_process.h"

namespace {

struct WavSpec {
  uint16_t format = 1;
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  double seconds = 1.0;
};

std::vector<uint8_t> MakeWav(const WavSpec& s) {
  const uint32_t frames = static_cast<uint32_t>(s.rate * s.seconds);
  const uint16_t align = static_cast<uint16_t>(s.channels * s.bits / 8);
  const uint32_t data = frames * align;
  std::vector<uint8_t> w;
  auto put = [&](const void* p, size_t n) {
    w.insert(w.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
  };
  auto u32 = [&](uint32_t v) { put(&v, 4); };
  auto u16 = [&](uint16_t v) { put(&v, 2); };
  put("RIFF", 4);
  u32(36 + data);
  put("WAVEfmt ", 8);
  u32(16);
  u16(s.format);
  u16(s.channels);
  u32(s.rate);
  u32(s.rate * align);
  u16(align);
  u16(s.bits);
  put("data", 4);
  u32(data);
  uint32_t noise = 12345;
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint16_t c = 0; c < s.channels; ++c) {
      noise = noise * 1664525u + 1013904223u;
      double v = 0.4 * std::sin(i * (c + 1) * 2 * 3.14159265 * 440.0 / s.rate) +
                 0.1 * (static_cast<int32_t>(noise >> 16) - 32768) / 32768.0;
      if (s.bits == 16) {
        u16(static_cast<uint16_t>(static_cast<int16_t>(v * 32767)));
      } else if (s.bits == 8) {
        w.push_back(static_cast<uint8_t>(128 + v * 127));
      } else {
        float f = static_cast<float>(v);
        put(&f, 4);
      }
    }
  }
  return w;
}

struct RecordingSink : Mp3EncoderEvents {
  std::vector<int32_t> progress;
  int done = 0;
  bool allOnUi = true;
  std::function<void()> onDone;
  void EncodeProgress(int32_t amountDone) override {
    allOnUi = allOnUi && OnUiThread();
    progress.push_back(amountDone);
  }
  void EncodeDone() override {
    allOnUi = allOnUi && OnUiThread();
    ++done;
    if (onDone) onDone();
  }
};

// Encoding a few seconds of audio can take long on a loaded machine.
constexpr DWORD kEncodeWaitMs = 60000;

// MPEG-1 layer III bit rate of the first frame, in kbit/s (0: no frame).
int FirstFrameKbit(const std::vector<uint8_t>& mp3) {
  static const int kRates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  if (mp3.size() < 4 || mp3[0] != 0xFF || (mp3[1] & 0xFE) != 0xFA) return 0;
  return kRates[mp3[2] >> 4];
}

bool HasInfoFrame(const std::vector<uint8_t>& mp3) {
  const char* id = "Info";
  return std::search(mp3.begin(), mp3.begin() + std::min<size_t>(mp3.size(), 64), id, id + 4) !=
         mp3.begin() + std::min<size_t>(mp3.size(), 64);
}

class Mp3EncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UiDispatchInit());
    ASSERT_TRUE(Exists(dir_.path));
    encoder_ = CreateMp3Encoder();
    encoder_->SetEvents(&sink_);
  }
  void TearDown() override {
    encoder_.reset();
    UiDispatchShutdown();
  }
  std::wstring Path(const std::wstring& name) const { return dir_.File(name); }
  std::wstring Wav(const WavSpec& wavShape, const std::wstring& name = L"in.wav") {
    EXPECT_TRUE(WriteAll(Path(name), MakeWav(wavShape)));
    return Path(name);
  }
  bool EncodeToEnd() {
    encoder_->StartEncoding();
    return PumpUntil([&] { return sink_.done > 0; }, kEncodeWaitMs);
  }

  ScratchDir dir_{L"wq_mp3enc_"};
  RecordingSink sink_;
  std::unique_ptr<Mp3Encoder> encoder_;
};

TEST_F(Mp3EncTest, RefusesWhatItCannotEncodeAndWritesNothing) {
  WavSpec eightBit;
  eightBit.bits = 8;
  WavSpec floatWav;
  floatWav.format = 3;
  floatWav.bits = 32;
  const std::wstring good = Wav({}, L"good.wav");
  const std::wstring eight = Wav(eightBit, L"eight.wav");
  const std::wstring flt = Wav(floatWav, L"float.wav");
  ASSERT_TRUE(WriteAll(Path(L"text.wav"), std::vector<uint8_t>(200, 'x')));
  ASSERT_TRUE(CreateDirectoryW(Path(L"folder.mp3").c_str(), nullptr));
  ASSERT_TRUE(WriteAll(Path(L"locked.mp3"), std::vector<uint8_t>{1, 2, 3}));
  ASSERT_TRUE(SetFileAttributesW(Path(L"locked.mp3").c_str(), FILE_ATTRIBUTE_READONLY));
  const auto before = FolderNames(dir_.path);

  struct Case {
    const wchar_t* what;
    std::wstring wav, mp3;
    SetFilesStatus want;
  } cases[] = {
      {L"missing wav", Path(L"none.wav"), Path(L"a.mp3"), SetFilesStatus::CannotReadWav},
      {L"8-bit", eight, Path(L"b.mp3"), SetFilesStatus::BadWav},
      {L"float", flt, Path(L"c.mp3"), SetFilesStatus::BadWav},
      {L"not RIFF", Path(L"text.wav"), Path(L"d.mp3"), SetFilesStatus::BadWav},
      {L"missing folder", good, Path(L"no such folder\\e.mp3"), SetFilesStatus::CannotCreateMp3},
      {L"folder by that name", good, Path(L"folder.mp3"), SetFilesStatus::CannotCreateMp3},
      {L"read-only mp3", good, Path(L"locked.mp3"), SetFilesStatus::CannotCreateMp3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(encoder_->SetFiles(c.wav, c.mp3), static_cast<int16_t>(c.want));
  }
  encoder_->SetBitRateKbit(100);
  EXPECT_EQ(encoder_->SetFiles(good, Path(L"f.mp3")), static_cast<int16_t>(SetFilesStatus::BadBitRate));
  EXPECT_EQ(FolderNames(dir_.path), before);
  EXPECT_EQ(ReadBytes(Path(L"locked.mp3")), (std::vector<uint8_t>{1, 2, 3}));

  // A refused SetFiles leaves nothing to start, yet the caller's wait ends.
  encoder_->StartEncoding();
  EXPECT_TRUE(PumpUntil([&] { return sink_.done == 1; }, kEncodeWaitMs));
  PumpFor(200);
  EXPECT_EQ(sink_.done, 1);
  EXPECT_EQ(FolderNames(dir_.path), before);
}

// Every way the MP3 file can fail to appear is named, so that the session
// keeps the WAV file and says why; none leaves a temporary file behind.
TEST_F(Mp3EncTest, FailuresNameTheirReasonAndLeaveNoTemporaryFile) {
  const std::wstring wav = Wav({});
  // An old MP3 held open by a player without sharing: the final rename fails.
  ASSERT_TRUE(WriteAll(Path(L"held.mp3"), std::vector<uint8_t>{1, 2, 3}));
  HANDLE player = CreateFileW(Path(L"held.mp3").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(player, INVALID_HANDLE_VALUE);
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"held.mp3")), 0);
  EXPECT_EQ(encoder_->FailureReason(), L"");
  ASSERT_TRUE(EncodeToEnd());
  CloseHandle(player);
  EXPECT_EQ(encoder_->FailureReason(),
            L"can not replace the old MP3 file: it is open in another program or protected");
  EXPECT_EQ(ReadBytes(Path(L"held.mp3")), (std::vector<uint8_t>{1, 2, 3}));

  // Refused before anything is written, with the reason.
  const std::wstring tooLong = Path(std::wstring(250, L'n') + L".mp3");
  EXPECT_EQ(encoder_->SetFiles(wav, tooLong), static_cast<int16_t>(SetFilesStatus::NameTooLong));
  EXPECT_EQ(encoder_->FailureReason(), L"the MP3 file name is too long");
  EXPECT_EQ(encoder_->SetFiles(wav, Path(L"gone\\a.mp3")),
            static_cast<int16_t>(SetFilesStatus::CannotCreateMp3));
  EXPECT_EQ(encoder_->FailureReason(), L"can not create the MP3 file: the folder does not exist");

  // A temporary file left by a killed session, even a hidden read-only one,
  // is not in the way, and a finished encode reports no failure.
  ASSERT_TRUE(WriteAll(Path(L"next.mp3.wqpart"), std::vector<uint8_t>{4, 5}));
  ASSERT_TRUE(
      SetFileAttributesW(Path(L"next.mp3.wqpart").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  sink_.done = 0;
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"next.mp3")), 0);
  ASSERT_TRUE(EncodeToEnd());
  EXPECT_EQ(encoder_->FailureReason(), L"");
  EXPECT_TRUE(HasInfoFrame(ReadBytes(Path(L"next.mp3"))));
  auto names = FolderNames(dir_.path);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"held.mp3", L"in.wav", L"next.mp3"}));
}

TEST_F(Mp3EncTest, EncodesToAUnicodeNameWithEventsOnTheUiThread) {
  WavSpec wavShape;
  wavShape.seconds = 3;
  const std::wstring wav = Wav(wavShape, L"Tr\u00e4ck \u65e5\u672c.wav");
  const std::wstring mp3 = Path(L"01 - \u00c9t\u00e9 \u2013 \u65e5\u672c\u8a9e.mp3");
  encoder_->SetBitRateKbit(192);
  ASSERT_EQ(encoder_->SetFiles(wav, mp3), 0);
  const int32_t total = encoder_->ProgressTotal();
  EXPECT_EQ(total, (3 * 44100 + 1151) / 1152);
  ASSERT_TRUE(EncodeToEnd());
  PumpFor(200);

  EXPECT_EQ(sink_.done, 1);
  EXPECT_TRUE(sink_.allOnUi);
  ASSERT_FALSE(sink_.progress.empty());
  EXPECT_LE(sink_.progress.size(), 101u);
  for (size_t i = 1; i < sink_.progress.size(); ++i) EXPECT_LT(sink_.progress[i - 1], sink_.progress[i]);
  EXPECT_EQ(sink_.progress.back(), total);

  const auto bytes = ReadBytes(mp3);
  EXPECT_EQ(FirstFrameKbit(bytes), 192);
  EXPECT_TRUE(HasInfoFrame(bytes));
  // 3 s at 192 kbit/s, give or take the info frame and padding.
  EXPECT_NEAR(static_cast<double>(bytes.size()), 3 * 192000 / 8.0, 2000.0);
  EXPECT_EQ(FolderNames(dir_.path).size(), 2u);  // the WAV and the MP3, no temporary file
}

TEST_F(Mp3EncTest, BitRateAppliesFromTheNextSetFiles) {
  const std::wstring wav = Wav({});
  encoder_->SetBitRateKbit(128);
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"a.mp3")), 0);
  encoder_->SetBitRateKbit(320);  // the menu is not consulted mid-track
  ASSERT_TRUE(EncodeToEnd());
  EXPECT_EQ(FirstFrameKbit(ReadBytes(Path(L"a.mp3"))), 128);

  sink_.done = 0;
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"b.mp3")), 0);
  ASSERT_TRUE(EncodeToEnd());
  EXPECT_EQ(FirstFrameKbit(ReadBytes(Path(L"b.mp3"))), 320);
}

TEST_F(Mp3EncTest, NextTrackCanBePreparedTheMomentEncodeDoneArrives) {
  const std::wstring wav = Wav({});
  std::vector<int16_t> statuses;
  int track = 0;
  // The session's next SetFiles follows EncodeDone at once, while the
  // worker thread may not quite have returned.
  sink_.onDone = [&] {
    if (++track == 5) return;
    statuses.push_back(encoder_->SetFiles(wav, Path(L"t" + std::to_wstring(track) + L".mp3")));
    if (statuses.back() == 0) encoder_->StartEncoding();
  };
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"t0.mp3")), 0);
  encoder_->StartEncoding();
  ASSERT_TRUE(PumpUntil([&] { return sink_.done == 5; }, kEncodeWaitMs));
  EXPECT_EQ(statuses, std::vector<int16_t>(4, 0));
  EXPECT_EQ(FolderNames(dir_.path).size(), 6u);
}

TEST_F(Mp3EncTest, AbortLeavesNeitherTheFinalNameNorATemporaryFile) {
  WavSpec wavShape;
  wavShape.seconds = 120;
  const std::wstring wav = Wav(wavShape);
  const std::wstring mp3 = Path(L"out.mp3");
  // An older file under the final name survives an aborted encode intact.
  ASSERT_TRUE(WriteAll(mp3, std::vector<uint8_t>{9, 8, 7}));
  ASSERT_EQ(encoder_->SetFiles(wav, mp3), 0);
  encoder_->StartEncoding();
  ASSERT_TRUE(PumpUntil([&] { return !sink_.progress.empty(); }, kEncodeWaitMs));
  ASSERT_EQ(sink_.done, 0) << "encode finished before it could be aborted";
  encoder_->AbortEncoding();
  EXPECT_EQ(FolderNames(dir_.path).size(), 2u);  // in.wav and the old out.mp3
  EXPECT_EQ(ReadBytes(mp3), (std::vector<uint8_t>{9, 8, 7}));

  // The one EncodeDone still arrives, late, and no second one follows.
  EXPECT_TRUE(PumpUntil([&] { return sink_.done == 1; }, kEncodeWaitMs));
  PumpFor(300);
  EXPECT_EQ(sink_.done, 1);
  EXPECT_LT(sink_.progress.back(), encoder_->ProgressTotal());
}

TEST_F(Mp3EncTest, PreparedButNeverStartedLeavesNoTemporaryFile) {
  const std::wstring wav = Wav({});
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"a.mp3")), 0);
  // A second SetFiles (the session's next track) drops the first one.
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"b.mp3")), 0);
  EXPECT_EQ(FolderNames(dir_.path).size(), 2u);
  encoder_->AbortEncoding();
  EXPECT_EQ(FolderNames(dir_.path), std::vector<std::wstring>{L"in.wav"});
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"c.mp3")), 0);
  encoder_.reset();
  EXPECT_EQ(FolderNames(dir_.path), std::vector<std::wstring>{L"in.wav"});
  PumpFor(100);
  EXPECT_EQ(sink_.done, 0);
}

TEST_F(Mp3EncTest, EmptyDataChunkEncodesWithATotalOfOne) {
  WavSpec wavShape;
  wavShape.seconds = 0;
  const std::wstring wav = Wav(wavShape);
  ASSERT_EQ(encoder_->SetFiles(wav, Path(L"a.mp3")), 0);
  EXPECT_EQ(encoder_->ProgressTotal(), 1);
  ASSERT_TRUE(EncodeToEnd());
  EXPECT_EQ(sink_.done, 1);
  EXPECT_TRUE(Exists(Path(L"a.mp3")));
  ASSERT_FALSE(sink_.progress.empty());
  EXPECT_EQ(sink_.progress.back(), 1);
}

}  // namespace
