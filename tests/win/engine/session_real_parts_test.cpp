// The session with the real LAME encoder and the real CD reader, on real
// files, with the faults a user meets: a full disk, the old MP3 held open by
// a player, a read-only old MP3, a prefix too long for the encoder's
// temporary name, and ABORT while a slow drive is reading.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include "components/cdreader/reader_drives.h"
#include "components/cdreader/wav_header.h"
#include "components/mp3enc/mp3enc.h"
#include "fake_components.h"
#include "session_fixture.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/form2_ids.h"
#include "ripper/engine/session.h"
#include "ripper/engine/ui_dispatch.h"
#include "ripper/engine/user_message.h"

namespace {

constexpr long kWavBytes = 44 + 44100 * 4;  // one second of CD audio

bool WriteCdWav(const std::wstring& path) {
  std::string bytes(static_cast<size_t>(kWavBytes), '\0');
  const auto header = cdr::MakeWavHeader(static_cast<uint64_t>(kWavBytes - 44));
  std::copy(header.begin(), header.end(), bytes.begin());
  for (size_t i = 44; i < bytes.size(); i += 2) bytes[i + 1] = static_cast<char>((i / 200) % 7);  // a buzz
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(f);
  return ok && n == bytes.size();
}

struct EncoderToSession : Mp3EncoderEvents {
  explicit EncoderToSession(FakeHost& h) : host(h) {}
  FakeHost& host;
  void EncodeProgress(int32_t done) override { SessionEncodeProgress(host, done); }
  void EncodeDone() override { SessionEncodeDone(host); }
};

struct ReaderToSession : CdReaderEvents {
  explicit ReaderToSession(FakeHost& h) : host(h) {}
  FakeHost& host;
  void ReadProgress(int32_t perMille) override { SessionReadProgress(host, perMille); }
  void ReadDone() override { SessionReadDone(host); }
  void ReadError(int32_t code, const std::wstring& message) override {
    SessionReadError(host, code, message);
  }
};

class RealPartsSession : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    if (HasFatalFailure()) return;
    encoder = CreateMp3Encoder();
    encoder->SetEvents(&encoderEvents);
    host.realEncoder = encoder.get();
    host.reader.writeWav = [](const std::wstring& p) { WriteCdWav(p); };
    host.selected[0] = host.selected[1] = true;
  }
  void TearDown() override {
    encoder.reset();
    SessionFixture::TearDown();
  }
  std::wstring Path(const std::wstring& name) { return JoinFolder(host.folder, name); }
  static std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
  }
  std::vector<std::string> Undated() {
    std::vector<std::string> out;
    for (const std::string& l : SplitCrLf(ReadAll(Path(L"trackforge.log"))))
      if (l.rfind("Starting Session (", 0) != 0 && l.rfind("Ending Session (", 0) != 0) out.push_back(l);
    return out;
  }
  // Track 1 failed for reason (after its encode ran when encoded), its WAV
  // is whole, no temporary file is left, and track 2 was ripped.
  void ExpectTrackOneKeptTrackTwoRipped(const std::string& reason, bool encoded,
                                        const std::wstring& prefix2) {
    const std::string error = "Error, no MP3 file for Track 01 (" + reason + ") WAV file kept";
    std::vector<std::string> want = {"Reading Track  01,   02 Track(s) left"};
    if (encoded) want.push_back("Encoding Track 01,   02 Track(s) left");
    want.push_back(error);
    want.push_back("Reading Track  02,   01 Track(s) left");
    want.push_back("Encoding Track 02,   01 Track(s) left");
    want.push_back("");
    EXPECT_EQ(Undated(), want);
    const std::vector<std::wstring> list = Form2Lines();
    EXPECT_NE(std::find(list.begin(), list.end(), std::wstring(error.begin(), error.end())), list.end());
    EXPECT_EQ(FileSize(Path(host.prefix + L"01.wav")), kWavBytes);
    EXPECT_EQ(FileSize(Path(prefix2 + L"02.wav")), -1);
    EXPECT_GT(FileSize(Path(prefix2 + L"02.mp3")), 10000);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Path(L"*.wqpart").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "a temporary file is left";
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    EXPECT_TRUE(messages.empty());
  }

  EncoderToSession encoderEvents{host};
  std::unique_ptr<Mp3Encoder> encoder;
};

TEST_F(RealPartsSession, OldMp3HeldOpenByAPlayerKeepsTheWav) {
  ASSERT_TRUE(WriteBytes(Path(L"Track01.mp3"), 77));
  HANDLE player =
      CreateFileW(Path(L"Track01.mp3").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(player, INVALID_HANDLE_VALUE);
  RunSession(host, host.main);
  CloseHandle(player);
  ExpectTrackOneKeptTrackTwoRipped(
      "can not replace the old MP3 file: it is open in another program or protected", true, L"Track");
  EXPECT_EQ(FileSize(Path(L"Track01.mp3")), 77);
}

TEST_F(RealPartsSession, ReadOnlyOldMp3KeepsTheWav) {
  ASSERT_TRUE(WriteBytes(Path(L"Track01.mp3"), 77));
  ASSERT_TRUE(SetFileAttributesW(Path(L"Track01.mp3").c_str(), FILE_ATTRIBUTE_READONLY));
  RunSession(host, host.main);
  ExpectTrackOneKeptTrackTwoRipped("the old MP3 file is read-only", false, L"Track");
}

TEST_F(RealPartsSession, PrefixTooLongForTheTemporaryNameKeepsTheWav) {
  // A short folder so that the WAV path (259 characters) still fits; the
  // temporary name is then 256 characters long, past the file system's 255.
  wchar_t folder[16];
  swprintf(folder, 16, L"C:\\wq%04x", static_cast<unsigned>(GetCurrentProcessId() & 0xFFFF));
  RemoveDirectoryW(host.folder.c_str());
  host.folder = folder;
  ASSERT_TRUE(CreateDirectoryW(folder, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  host.prefix = std::wstring(259 - 10 - 6, L'p');
  ASSERT_EQ(Path(host.prefix + L"01.wav").size(), 259u);
  // The user shortens the prefix while track 1 is read.
  host.reader.onRead = [this](int track) {
    if (track == 1) host.prefix = L"Track";
  };
  const std::wstring longPrefix = host.prefix;
  RunSession(host, host.main);
  const std::wstring shortPrefix = host.prefix;
  host.prefix = longPrefix;
  ExpectTrackOneKeptTrackTwoRipped("the MP3 file name is too long", false, shortPrefix);
}

TEST_F(RealPartsSession, FullDiskKeepsTheWav) {
  // run_small_fs.sh mounts a small file system under the Wine drive.
  wchar_t small[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"WQ_SMALL_FS", small, MAX_PATH))
    GTEST_SKIP() << "WQ_SMALL_FS not set: no small file system mounted for this run";
  RemoveDirectoryW(host.folder.c_str());
  host.folder = std::wstring(small) + L"\\full" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(host.folder.c_str(), nullptr));
  const std::wstring filler = Path(L"filler.bin");
  host.reader.onRead = [&](int track) {
    if (track == 2) {
      DeleteFileW(filler.c_str());  // the user makes room
      return;
    }
    // Room for the WAV file and a page of log, not for the MP3 file.
    ULARGE_INTEGER avail{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(host.folder.c_str(), &avail, nullptr, nullptr));
    const long room = (kWavBytes + 4095) / 4096 * 4096 + 4096;
    ASSERT_GT(static_cast<long long>(avail.QuadPart), room + 4096);
    ASSERT_TRUE(WriteBytes(filler, static_cast<long>(avail.QuadPart) - room));
  };
  RunSession(host, host.main);
  ExpectTrackOneKeptTrackTwoRipped("can not write the MP3 file: disk full", true, L"Track");
}

// A drive that takes 1.5 s for every request.
class SlowDrive : public cdr::CdDevice {
 public:
  bool ReadToc(cdr::DiscInfo& disc, std::wstring&) override {
    disc.tracks = {{1, true, 0, 75 * 60}};
    disc.leadOutLba = 75 * 60;
    return true;
  }
  bool ReadFrames(uint32_t, uint32_t count, uint8_t* out, std::wstring&) override {
    Sleep(1500);
    std::fill(out, out + static_cast<size_t>(count) * 2352, uint8_t(0));
    return true;
  }
};

TEST_F(RealPartsSession, AbortDuringASlowReadKeepsTheWindowLive) {
  cdr::DriveSpec drive;
  drive.description = L"slow";
  drive.open = [](std::wstring&) -> std::unique_ptr<cdr::CdDevice> { return std::make_unique<SlowDrive>(); };
  std::unique_ptr<CdReader> reader = cdr::CreateCdReaderFor({drive});
  ReaderToSession readerEvents(host);
  reader->SetEvents(&readerEvents);
  reader->SelectDrive(1);
  host.realReader = reader.get();
  host.selected = {true};

  // From another thread: after 0.5 s press ABORT; all along, ask the window
  // to repaint and to answer, and time how long that takes.
  std::atomic<bool> stop{false};
  std::atomic<DWORD> worst{0};
  std::atomic<int> probes{0};
  std::atomic<bool> watcherDone{false};
  std::thread watcher([&] {
    HWND form2 = nullptr;
    while (!stop && !((form2 = FindWindowW(WQ_FORM2_CLASS, nullptr)) && IsWindowVisible(form2))) Sleep(5);
    const DWORD start = GetTickCount();
    bool pressed = false;
    while (!stop) {
      if (!pressed && GetTickCount() - start > 500) {
        PostMessageW(form2, WM_COMMAND, MAKEWPARAM(kIdForm2Command1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(form2, kIdForm2Command1)));
        pressed = true;
      }
      const DWORD t0 = GetTickCount();
      InvalidateRect(form2, nullptr, FALSE);
      DWORD_PTR r = 0;
      SendMessageTimeoutW(form2, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r);
      while (GetUpdateRect(form2, nullptr, FALSE) && GetTickCount() - t0 < 1000) Sleep(1);
      const DWORD took = GetTickCount() - t0;
      if (took > worst) worst = took;
      ++probes;
      Sleep(20);
    }
    watcherDone = true;
  });
  const DWORD begun = GetTickCount();
  RunSession(host, host.main);
  // Until the window shows DONE and for a while after; the UI thread keeps
  // answering until the watcher's last probe is over.
  const DWORD ended = GetTickCount();
  while (!watcherDone) {
    if (GetTickCount() - ended > 300) stop = true;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    Sleep(5);
  }
  watcher.join();
  EXPECT_EQ(messages, std::vector<std::wstring>{L"Ripping and Encoding Aborted"});
  EXPECT_EQ(Undated(),
            (std::vector<std::string>{"Reading Track  01,   01 Track(s) left", "Reading Aborted", ""}));
  EXPECT_EQ(Form2ButtonCaption(), L"DONE");
  EXPECT_GT(probes.load(), 10);
  // A frozen window takes the drive's whole 1.5 s request; the aim is under
  // 200 ms, and the bound leaves room for a loaded machine's scheduling.
  std::printf("slowest repaint and answer during the session: %lu ms\n",
              static_cast<unsigned long>(worst.load()));
  EXPECT_LT(worst.load(), 500u) << "the progress window froze";
  EXPECT_LT(ended - begun, 1400u) << "the session waited for the drive";
  host.realReader = nullptr;
  reader.reset();  // lets the worker end with its file closed
}

}  // namespace
