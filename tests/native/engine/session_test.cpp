// The session's steps against in-memory components, windows and files. The
// components' events wait in a queue, as in the UI thread's message queue,
// and run while the session waits or a message box is up.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <memory>
#include <set>

#include "tests/native/engine/fake_parts.h"

namespace {

using Lines = std::vector<std::wstring>;

// The main window, the progress window and the output folder in one.
class World final : public FakeWorld, public SessionView, public SessionFiles {
 public:
  Form1State state;
  FakeReader reader{*this};
  FakeEncoder encoder{*this};
  FakeCddb cddb;
  FakeArDb db{*this};
  RipOptions options;
  std::vector<bool> selected = std::vector<bool>(9, false);

  std::deque<Event> queue;
  bool quit = false;  // as a WM_QUIT: ends the wait it arrives in
  Lines lines, told, log;
  std::wstring status;
  std::vector<Lines> linesAtTell;
  float bars[3] = {-1, -1, -1};
  bool mainShown = true, ended = false;
  int beeps = 0;
  std::map<std::wstring, long long> files;  // by path
  std::set<std::wstring> undeletable;
  bool logOpens = true, logOpen = false;

  World() { state.BarFullWidth = 3495.0f; }
  void Select(std::initializer_list<int> tracks) {
    for (int t : tracks) selected[static_cast<size_t>(t - 1)] = true;
  }
  void Run() { RunSession(*this, *this, *this); }
  void Next() {
    Event e = std::move(queue.front());
    queue.pop_front();
    e();
  }

  // FakeWorld
  Form1State& State() override { return state; }
  CdReader& Reader() override { return reader; }
  Mp3Encoder& Encoder() override { return encoder; }
  CddbClient& Cddb() override { return cddb; }
  RipOptions Options() override { return options; }
  // Encoders beyond the first, when a test asks for several.
  std::vector<std::unique_ptr<FakeEncoder>> more;
  void SetSlots(int k) {
    more.clear();
    for (int s = 1; s < k; ++s) more.push_back(std::make_unique<FakeEncoder>(*this, encoder, s));
  }
  int EncoderSlots() override { return 1 + static_cast<int>(more.size()); }
  Mp3Encoder& SlotEncoder(int s) override { return s == 0 ? encoder : *more.at(static_cast<size_t>(s - 1)); }
  FakeEncoder& Slot(int s) { return s == 0 ? encoder : *more.at(static_cast<size_t>(s - 1)); }
  // The encoder running the WAV file's encode.
  FakeEncoder* EncoderOf(const std::wstring& wav) {
    for (int s = 0; s < EncoderSlots(); ++s)
      if (Slot(s).running && Slot(s).Wav() == wav) return &Slot(s);
    return nullptr;
  }
  int Running() {
    int n = 0;
    for (int s = 0; s < EncoderSlots(); ++s) n += Slot(s).running;
    return n;
  }
  AccurateRipDb* AccurateRip() override { return &db; }
  int TrackListCount() override { return static_cast<int>(selected.size()); }
  bool TrackListSelected(int i) override { return selected.at(static_cast<size_t>(i)); }
  int TrackListSelectedCount() override {
    int n = 0;
    for (bool b : selected) n += b;
    return n;
  }
  std::wstring OutputFolder() override { return L"C:\\out"; }
  std::wstring Prefix() override { return L"Track"; }
  void Post(Event e) override { queue.push_back(std::move(e)); }
  void PutFile(const std::wstring& path, long long bytes) override { files[path] = bytes; }

  // SessionView
  bool Open() override {
    lines.clear();
    mainShown = false;
    return true;
  }
  void SetStatus(const std::wstring& text) override { status = text; }
  void AddLine(const std::wstring& line) override { lines.push_back(line); }
  void SetBarWidth(int bar, float twips) override { bars[bar - 1] = twips; }
  void Tell(const std::wstring& text) override {
    told.push_back(text);
    linesAtTell.push_back(lines);
    for (size_t n = queue.size(); n > 0; --n) Next();  // a message box dispatches
  }
  bool WaitFor(const bool& flag) override {
    while (!flag) {
      if (queue.empty()) {
        ADD_FAILURE() << "the session waits for an event that never comes";
        return false;
      }
      Next();
      if (quit) return false;
    }
    return true;
  }
  void Beep() override { ++beeps; }
  void Ended() override { mainShown = ended = true; }

  // SessionFiles
  long long FileSize(const std::wstring& path) override { return files.count(path) ? files[path] : -1; }
  bool Delete(const std::wstring& path) override {
    return !undeletable.count(path) && (files.erase(path), true);
  }
  bool OpenLog(const std::wstring&) override { return logOpen = logOpens; }
  void WriteLogLine(const std::wstring& line) override {
    if (logOpen) log.push_back(line);
  }
  void CloseLog() override { logOpen = false; }
  std::wstring Date() override { return L"D"; }
  std::wstring Time() override { return L"T"; }
};

const std::wstring kWav1 = L"C:\\out\\Track01.wav", kMp31 = L"C:\\out\\Track01.mp3";

// The lines between "Starting Session" and "Ending Session".
Lines Middle(const Lines& log) { return log.size() < 3 ? Lines{} : Lines(log.begin() + 1, log.end() - 2); }

void ExpectEnded(const World& w) {
  EXPECT_FALSE(SessionIsRunning());
  EXPECT_TRUE(w.ended && w.mainShown);
  EXPECT_EQ(w.beeps, 1);
  for (float b : w.bars) EXPECT_EQ(b, 0.0f);
  ASSERT_GE(w.log.size(), 3u);
  EXPECT_EQ(w.log.front(), L"Starting Session (D) (T)");
  EXPECT_EQ(w.log[w.log.size() - 2], L"Ending Session (D) (T)");
  EXPECT_EQ(w.log.back(), L"");
  EXPECT_FALSE(w.logOpen);
  EXPECT_EQ(w.reader.calls.back(), L"EndSession");
  // The list holds the log's lines but the closing empty one.
  EXPECT_EQ(w.lines, Lines(w.log.begin(), w.log.end() - 1));
}

TEST(SessionSteps, TracksTwoAndFiveOfNine) {
  World w;
  w.Select({2, 5});
  Lines statusAtRead;
  std::vector<float> encodeBarAtRead;
  bool runningAndHidden = true;
  w.reader.onRead = [&](int) {
    statusAtRead.push_back(w.status);
    encodeBarAtRead.push_back(w.bars[2]);
    runningAndHidden = runningAndHidden && SessionIsRunning() && !w.mainShown;
  };
  w.encoder.scripts[L"C:\\out\\Track05.wav"].during = [&] {
    EXPECT_EQ(w.status, L"Encoding Track 05,   01 Track(s) left");
  };
  w.Run();
  EXPECT_EQ(Middle(w.log),
            (Lines{L"Reading Track  02,   02 Track(s) left", L"Encoding Track 02,   02 Track(s) left",
                   L"Reading Track  05,   01 Track(s) left", L"Encoding Track 05,   01 Track(s) left"}));
  EXPECT_EQ(statusAtRead,
            (Lines{L"Reading Track 02,   02 Track(s) left", L"Reading Track 05,   01 Track(s) left"}));
  // The encoding bar starts every track empty, after being full.
  EXPECT_EQ(encodeBarAtRead, (std::vector<float>{0.0f, 0.0f}));
  EXPECT_TRUE(runningAndHidden);
  EXPECT_EQ(w.reader.calls, (Lines{L"BeginSession", L"Read 2 C:\\out\\Track02.wav",
                                   L"Read 5 C:\\out\\Track05.wav", L"EndSession"}));
  EXPECT_EQ(w.encoder.calls,
            (Lines{L"BitRate 128", L"SetFiles C:\\out\\Track02.wav C:\\out\\Track02.mp3", L"StartEncoding",
                   L"BitRate 128", L"SetFiles C:\\out\\Track05.wav C:\\out\\Track05.mp3", L"StartEncoding"}));
  // The WAV files are gone, the MP3 files stay.
  EXPECT_EQ(w.files, (std::map<std::wstring, long long>{{L"C:\\out\\Track02.mp3", 1000},
                                                        {L"C:\\out\\Track05.mp3", 1000}}));
  ASSERT_EQ(w.encoder.tags.size(), 2u);
  EXPECT_EQ(w.encoder.tags[1].track, 5);
  EXPECT_TRUE(w.told.empty());
  EXPECT_EQ(w.state.SelectedOrdinal, 2);
  ExpectEnded(w);
}

TEST(SessionSteps, BarsFollowReadAndEncodeProgress) {
  World w;
  w.Select({3, 4});
  std::vector<std::array<float, 3>> seen;
  auto snap = [&] { seen.push_back({w.bars[0], w.bars[1], w.bars[2]}); };
  w.reader.scripts[4].progress = {500};
  w.reader.scripts[4].during = snap;
  w.encoder.scripts[L"C:\\out\\Track04.wav"].progress = {25};
  w.encoder.scripts[L"C:\\out\\Track04.wav"].during = snap;
  w.Run();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FLOAT_EQ(seen[0][1], 1747.5f);
  EXPECT_FLOAT_EQ(seen[0][0], 1747.5f / 2 + 3495.0f / 2);
  EXPECT_EQ(seen[0][2], 0.0f);
  EXPECT_FLOAT_EQ(seen[1][2], 419.4f);                     // 12.5 % rounds to 12
  EXPECT_FLOAT_EQ(seen[1][0], 1747.5f / 2 + 3495.0f / 2);  // unchanged while encoding
  ExpectEnded(w);
}

TEST(SessionSteps, WavChecks) {
  World w;
  w.Select({1, 2, 3});
  w.reader.scripts[1].wavBytes = 44;
  w.reader.scripts[2].wavBytes = -1;
  w.undeletable.insert(L"C:\\out\\Track03.wav");
  w.Run();
  EXPECT_EQ(Middle(w.log),
            (Lines{L"Reading Track  01,   03 Track(s) left",
                   L"Error, invalid lenght on Track 01 Skipping to next Track",
                   L"Reading Track  02,   02 Track(s) left",
                   L"Error, no WAV file for Track 02 Skipping to next Track",
                   L"Reading Track  03,   01 Track(s) left", L"Encoding Track 03,   01 Track(s) left",
                   L"Error, can not delete C:\\out\\Track03.wav"}));
  EXPECT_EQ(w.files[kWav1], 44);
  // Nothing prepared for the empty and the missing file; the bit rate is still set.
  EXPECT_EQ(Lines(w.encoder.calls.begin(), w.encoder.calls.begin() + 3),
            (Lines{L"BitRate 128", L"BitRate 128", L"BitRate 128"}));
  ExpectEnded(w);
}

TEST(SessionSteps, EncoderFailuresKeepTheWavAndSaySo) {
  World w;
  w.Select({1, 2});
  w.state.BitRate = 192;
  w.encoder.scripts[kWav1].setFilesStatus = 3;
  // Track 2 ends without an MP3 file.
  w.encoder.scripts[L"C:\\out\\Track02.wav"] = EncodeScript{0, {}, false, [&] { SessionEncodeDone(w); }};
  w.Run();
  EXPECT_EQ(w.log[2], L"Error, no MP3 file for Track 01 (encoder status 3) WAV file kept");
  EXPECT_EQ(w.log[5], L"Error, no MP3 file for Track 02 (the MP3 file is missing) WAV file kept");
  EXPECT_EQ(w.encoder.calls[1], L"SetFiles " + kWav1 + L" " + kMp31);
  EXPECT_EQ(w.encoder.calls[2], L"BitRate 192");
  EXPECT_EQ(w.files.size(), 2u);  // both WAV files kept
}

TEST(SessionSteps, ReadErrorIsLoggedAndSkipsTheEncode) {
  World w;
  w.Select({1, 2, 3});
  w.reader.scripts[2] = ReadScript{0, 4044, {}, ReadScript::Error, -17, L"Sector 1200 unreadable", {}};
  w.reader.scripts[3] = ReadScript{0, 44, {}, ReadScript::Error, 4, L"short", {}};
  w.Run();
  EXPECT_EQ(Middle(w.log),
            (Lines{L"Reading Track  01,   03 Track(s) left", L"Encoding Track 01,   03 Track(s) left",
                   L"Reading Track  02,   02 Track(s) left", L"Error code -17, Sector 1200 unreadable",
                   L"Reading Track  03,   01 Track(s) left", L"Error code 4, short",
                   L"Error, invalid lenght on Track 03 Skipping to next Track"}));
  EXPECT_EQ(w.FileSize(L"C:\\out\\Track02.wav"), -1);  // deleted: not an empty file
  EXPECT_EQ(w.files[L"C:\\out\\Track03.wav"], 44);     // kept: empty
  EXPECT_EQ(w.state.ReadFailed, kVbTrue);
  // Only the good track is prepared for encoding.
  EXPECT_EQ(w.encoder.calls.size(), 5u);
}

TEST(SessionSteps, RefusedReadToldBeforeItsLinesAndStillWaits) {
  World w;
  w.Select({1});
  w.reader.scripts[1] = ReadScript{1, -1, {}, ReadScript::Error, 2, L"no disc", {}};
  w.Run();
  EXPECT_EQ(w.told, Lines{L"Error: can not read track!"});
  EXPECT_EQ(w.linesAtTell[0], Lines{L"Starting Session (D) (T)"});
  // The message box runs the ReadError; its line still comes second.
  EXPECT_EQ(Middle(w.log), (Lines{L"Reading Track  01,   01 Track(s) left", L"Error code 2, no disc"}));
}

// ABORT (the flags and the reader) or a quit, while reading and while encoding.
TEST(SessionSteps, AbortAtEitherWait) {
  for (int c = 0; c < 4; ++c) {
    const bool quit = c & 1, encoding = c & 2;
    World w;
    w.Select({1, 2});
    Event stop = [&w, quit] { quit ? void(w.quit = true) : SessionRequestAbort(w); };
    if (encoding)
      w.encoder.scripts[kWav1] = EncodeScript{0, {}, false, stop};
    else
      w.reader.scripts[1] = ReadScript{0, 5000, {}, ReadScript::Nothing, 0, {}, stop};
    w.Run();
    EXPECT_EQ(Middle(w.log).back(), encoding ? L"Encoding Aborted" : L"Reading Aborted") << c;
    EXPECT_EQ(w.reader.calls, (Lines{L"BeginSession", L"Read 1 " + kWav1, L"AbortRead", L"EndSession"})) << c;
    EXPECT_EQ(w.encoder.calls.empty(), !encoding) << c;
    if (encoding) {
      EXPECT_EQ(w.encoder.calls.back(), L"AbortEncoding");
    }
    EXPECT_EQ(w.files[kWav1], encoding ? 4044 : 5000);
    EXPECT_EQ(w.state.AbortRequested, kVbTrue);
    EXPECT_TRUE(w.told.empty());
    ExpectEnded(w);
  }
}

TEST(SessionSteps, LogThatCannotBeOpenedStopsBeforeReading) {
  World w;
  w.Select({1});
  w.logOpens = false;
  w.Run();
  EXPECT_EQ(w.told, Lines{L"Error: can not write the session log C:\\out\\trackforge.log\n"
                          L"No track is read. Please choose another folder."});
  EXPECT_EQ(w.reader.calls, (Lines{L"BeginSession", L"EndSession"}));
  EXPECT_TRUE(w.encoder.calls.empty());
  EXPECT_TRUE(w.ended);
}

TEST(SessionSteps, CddbTitlesNameTheMp3AndOnlyMinusOneCounts) {
  World w;
  w.Select({1, 2, 3});
  w.state.UseCddb = kVbTrue;
  w.cddb.titles = {{1, L"Intro"}, {2, L"AC/DC: Live?"}};
  w.Run();
  // The record has no title for track 3: the plain name, not "03 - .mp3".
  EXPECT_EQ(w.files, (std::map<std::wstring, long long>{{L"C:\\out\\01 - Intro.mp3", 1000},
                                                        {L"C:\\out\\02 - AC_DC_ Live_.mp3", 1000},
                                                        {L"C:\\out\\Track03.mp3", 1000}}));
  EXPECT_EQ(w.encoder.tags[0].title, L"Intro");

  World v;
  v.Select({1});
  v.state.UseCddb = 1;
  v.cddb.titles[1] = L"Intro";
  v.Run();
  EXPECT_EQ(v.files[kMp31], 1000);
}

TEST(SessionSteps, NothingSelectedOutsideASessionOrAZeroTotalShowNothing) {
  World w;
  w.Run();  // nothing selected
  EXPECT_TRUE(w.reader.calls.empty() && w.mainShown);
  SessionReadProgress(w, 500);
  SessionEncodeProgress(w, 100);
  SessionReadError(w, 3, L"late");
  for (float b : w.bars) EXPECT_EQ(b, -1.0f);
  EXPECT_TRUE(w.lines.empty() && w.log.empty());

  w.Select({1});
  w.encoder.total = 0;
  float seen = -1;
  w.encoder.scripts[kWav1].during = [&] { seen = w.bars[2]; };
  w.Run();
  EXPECT_EQ(seen, 0.0f);
}

// ---- verified rips -----------------------------------------------------------

TrackProof Proof(uint32_t v1, uint32_t v2) {
  TrackProof p;
  p.crc = 0x1234ABCD;
  p.arV1 = v1;
  p.arV2 = v2;
  return p;
}

ArChunk Chunk(std::initializer_list<ArEntry> first) {
  ArChunk c;
  c.tracks.assign(first);
  return c;
}

ArLookupResult Found(std::vector<ArChunk> chunks) {
  return ArLookupResult{ArLookupStatus::Found, L"dBAR-009-0000abcd-0001abcd-7b0a1b09", std::move(chunks), {}};
}

const std::wstring kFound = L"AccurateRip: dBAR-009-0000abcd-0001abcd-7b0a1b09 found in the database";
const std::wstring kRead1 = L"Reading Track  01,   03 Track(s) left",
                   kEnc1 = L"Encoding Track 01,   03 Track(s) left";
const std::wstring kRead2 = L"Reading Track  02,   02 Track(s) left",
                   kEnc2 = L"Encoding Track 02,   02 Track(s) left";
const std::wstring kRead3 = L"Reading Track  03,   01 Track(s) left",
                   kEnc3 = L"Encoding Track 03,   01 Track(s) left";

// Both checks off: not one line, call or file more than before, whatever
// the database and the proofs hold; only the read offset reaches the reader.
TEST(VerifiedSession, ChecksOffLeaveTheSessionAsItWas) {
  World plain;
  plain.Select({2, 5});
  plain.Run();
  World w;
  w.Select({2, 5});
  w.options.read.offsetSamples = 6;
  w.db.answer = Found({Chunk({{}, {7, 0x11111111, 0}})});
  w.reader.proofs[2] = Proof(0x11111111, 0x22222222);
  w.Run();
  EXPECT_EQ(w.log, plain.log);
  EXPECT_EQ(w.lines, plain.lines);
  EXPECT_EQ(w.reader.calls, plain.reader.calls);
  EXPECT_EQ(w.encoder.calls, plain.encoder.calls);
  EXPECT_EQ(w.files, plain.files);
  EXPECT_TRUE(w.db.calls.empty());
  ASSERT_EQ(w.reader.readOptions.size(), 1u);
  EXPECT_EQ(w.reader.readOptions[0].offsetSamples, 6);
  EXPECT_FALSE(w.reader.readOptions[0].secure);
  EXPECT_FALSE(w.reader.readOptions[0].checksums);  // a plain rip pays for no checksums
  ASSERT_EQ(plain.reader.readOptions.size(), 1u);
  EXPECT_EQ(plain.reader.readOptions[0].offsetSamples, 0);
}

// One lookup before the first read; each track's verdict after its own
// lines; a failed read is not judged on the track before's proof.
TEST(VerifiedSession, VerdictsFollowEachTrackAndSumUp) {
  World w;
  w.Select({1, 2, 3});
  w.options.verify = true;
  bool lookedUpBeforeReading = false;
  w.db.during = [&] { lookedUpBeforeReading = w.reader.calls == Lines{L"BeginSession"}; };
  // Track 1 matches its v2 in two pressings; track 2 is held with other sums.
  w.db.answer = Found(
      {Chunk({{5, 0x0000BEEF, 0}, {9, 0xCAFEF00D, 0}}), Chunk({{3, 0x0000BEEF, 0}, {2, 0xCAFEF00D, 0}})});
  w.reader.proofs[1] = Proof(0x00001111, 0x0000BEEF);
  w.reader.proofs[2] = Proof(0xABCDEF01, 0x00C0FFEE);
  w.reader.scripts[3] = ReadScript{0, 4044, {}, ReadScript::Error, 5, L"bad sector", {}};
  w.Run();
  EXPECT_TRUE(lookedUpBeforeReading);
  EXPECT_TRUE(w.reader.readOptions.at(0).checksums);
  EXPECT_EQ(w.db.calls, Lines{L"BeginLookup 3"});
  EXPECT_EQ(
      Middle(w.log),
      (Lines{kFound, kRead1, kEnc1, L"Track 01: accurately ripped (confidence 8, AccurateRip v2 0000BEEF)",
             kRead2, kEnc2, L"Track 02: not accurate (v1 ABCDEF01, v2 00C0FFEE; the database holds CAFEF00D)",
             kRead3, L"Error code 5, bad sector", L"Track 03: not verified, the read did not end with audio",
             L"1 of 3 tracks accurately ripped"}));
  ExpectEnded(w);
}

// Secure reading: the reads' line and each suspicious position first, then
// the verdict. A doubtful track still counts when the database agrees.
TEST(VerifiedSession, SecureLinesMarkDoubtfulTracks) {
  World w;
  w.Select({1, 2, 3});
  w.options.verify = true;
  w.options.read.secure = true;
  w.db.answer = Found({Chunk({{2, 0xAAAA0001, 0}, {2, 0xAAAA0002, 0}, {2, 0xAAAA0003, 0}})});
  TrackProof p1 = Proof(0xAAAA0001, 0x1), p2 = Proof(0x2, 0x3), p3 = Proof(0x4, 0x5);
  p1.secure = p2.secure = p3.secure = true;
  p1.testCrc = p1.crc;
  p2.testCrc = 0x0BADF00D;
  p2.rereads = 16;
  p2.suspiciousSamples = {44100 * 61 + 5, 44100 * 125};
  p3.testCrc = 0x77777777;
  p3.crc = 0x88888888;
  p3.rereads = 2;
  w.reader.proofs = {{1, p1}, {2, p2}, {3, p3}};
  w.Run();
  EXPECT_EQ(w.reader.readOptions.at(0).secure, true);
  EXPECT_EQ(
      Middle(w.log),
      (Lines{
          kFound, kRead1, kEnc1, L"Track 01: test CRC 1234ABCD, copy CRC 1234ABCD, OK",
          L"Track 01: accurately ripped (confidence 2, AccurateRip v1 AAAA0001)", kRead2, kEnc2,
          L"Track 02: test CRC 0BADF00D, copy CRC 1234ABCD, suspicious: 2 position(s) never read alike twice",
          L"Track 02: suspicious position 1:01", L"Track 02: suspicious position 2:05",
          L"Track 02: not accurate (v1 00000002, v2 00000003; the database holds AAAA0002)", kRead3, kEnc3,
          L"Track 03: test CRC 77777777, copy CRC 88888888, OK after 2 re-read(s)",
          L"Track 03: not accurate (v1 00000004, v2 00000005; the database holds AAAA0003)",
          L"1 of 3 tracks accurately ripped"}));
  // The doubtful track was encoded all the same.
  EXPECT_EQ(w.files.count(L"C:\\out\\Track02.mp3"), 1u);

  // Secure reading alone asks no database and sums nothing up.
  World s;
  s.Select({1});
  s.options.read.secure = true;
  s.reader.proofs[1] = p1;
  s.Run();
  EXPECT_TRUE(s.db.calls.empty());
  EXPECT_EQ(Middle(s.log),
            (Lines{L"Reading Track  01,   01 Track(s) left", L"Encoding Track 01,   01 Track(s) left",
                   L"Track 01: test CRC 1234ABCD, copy CRC 1234ABCD, OK"}));
}

// No track matches at the set correction, but sector 450 does at a shift:
// the log proposes the correction that would have matched.
TEST(VerifiedSession, ShiftedSector450ProposesTheOffset) {
  for (int32_t set : {0, 2, -10}) {
    World w;
    w.Select({1, 2});
    w.options.verify = true;
    w.options.read.offsetSamples = set;
    w.db.answer = Found({Chunk({{4, 0x10, 0x450A}, {4, 0x20, 0x450B}})});
    for (int t = 1; t <= 2; ++t) {
      TrackProof p = Proof(0x99, 0x98);
      p.frame450ByShift.assign(2 * kFrame450MaxShift + 1, 0x5555);
      // The drive reads 6 samples late: shift 6 - set finds the database's sum.
      p.frame450ByShift[static_cast<size_t>(6 - set + kFrame450MaxShift)] = t == 1 ? 0x450A : 0x450B;
      w.reader.proofs[t] = p;
    }
    w.Run();
    const Lines m = Middle(w.log);
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m[m.size() - 2], L"0 of 2 tracks accurately ripped") << set;
    EXPECT_EQ(m.back(), L"the drive's read offset seems to be +6; set it in Options > Read offset") << set;
  }
  // One accurate track: the offset is right, nothing is proposed.
  World w;
  w.Select({1, 2});
  w.options.verify = true;
  w.db.answer = Found({Chunk({{4, 0x99, 0x450A}, {4, 0x20, 0x450B}})});
  TrackProof p = Proof(0x99, 0x98);
  p.frame450ByShift.assign(2 * kFrame450MaxShift + 1, 0x450B);
  w.reader.proofs = {{1, p}, {2, p}};
  w.Run();
  EXPECT_EQ(Middle(w.log).back(), L"1 of 2 tracks accurately ripped");
}

// A disc the database lacks, a failed or refused lookup, a disc without a
// TOC: each said once, and every track still ripped with its checksums.
TEST(VerifiedSession, LookupOutcomes) {
  struct Case {
    ArLookupStatus status;
    int16_t begin;
    bool toc;
    std::wstring discLine, trackLine;
  } cases[] = {
      {ArLookupStatus::NotFound, 0, true, L"AccurateRip: dBAR-x is not in the database",
       L"Track 01: not in the AccurateRip database (v1 0000ABCD, v2 00001234)"},
      {ArLookupStatus::Failed, 0, true, L"AccurateRip: the lookup failed: no answer within 10 s",
       L"Track 01: not verified, the AccurateRip lookup failed (v1 0000ABCD, v2 00001234)"},
      {ArLookupStatus::Failed, 3, true, L"AccurateRip: the lookup failed: refused",
       L"Track 01: not verified, the AccurateRip lookup failed (v1 0000ABCD, v2 00001234)"},
      {ArLookupStatus::Found, 0, false, L"AccurateRip: the disc's table of contents cannot be read",
       L"Track 01: not verified, the AccurateRip lookup failed (v1 0000ABCD, v2 00001234)"},
  };
  for (const Case& c : cases) {
    World w;
    w.Select({1});
    w.options.verify = true;
    w.reader.haveToc = c.toc;
    w.db.beginStatus = c.begin;
    w.db.answer = ArLookupResult{c.status, L"dBAR-x", {}, L"no answer within 10 s"};
    w.reader.proofs[1] = Proof(0xABCD, 0x1234);
    w.Run();
    EXPECT_EQ(Middle(w.log), (Lines{c.discLine, L"Reading Track  01,   01 Track(s) left",
                                    L"Encoding Track 01,   01 Track(s) left", c.trackLine,
                                    L"0 of 1 tracks accurately ripped"}));
    EXPECT_EQ(w.files.count(kMp31), 1u);
    ExpectEnded(w);
  }
}

// ABORT while the database is asked: the lookup ends at once, nothing is
// read, and its late answer changes nothing.
TEST(VerifiedSession, AbortWhileLookingUp) {
  World w;
  w.Select({1, 2});
  w.options.verify = true;
  w.db.answers = false;
  w.db.during = [&] {
    EXPECT_EQ(w.status, L"Looking up the disc in the AccurateRip database");
    SessionRequestAbort(w);
  };
  w.Run();
  EXPECT_EQ(Middle(w.log), Lines{L"AccurateRip Lookup Aborted"});
  EXPECT_EQ(w.db.calls, (Lines{L"BeginLookup 3", L"AbortLookup"}));
  EXPECT_EQ(w.reader.calls, (Lines{L"BeginSession", L"AbortRead", L"EndSession"}));
  ExpectEnded(w);
  w.state.OperationDone = false;
  ASSERT_FALSE(w.queue.empty());
  while (!w.queue.empty()) w.Next();  // the aborted lookup's LookupDone
  EXPECT_FALSE(w.state.OperationDone);
}


// ---- several encoders --------------------------------------------------------

std::wstring Wav(int n) { return L"C:\\out\\Track0" + std::to_wstring(n) + L".wav"; }
std::wstring Mp3(int n) { return L"C:\\out\\Track0" + std::to_wstring(n) + L".mp3"; }

// The one-at-a-time log of tracks 1..5 when every track rips.
Lines SequentialLog(int tracks) {
  Lines l;
  for (int n = 1; n <= tracks; ++n) {
    const std::wstring nn = L"0" + std::to_wstring(n), left = L"0" + std::to_wstring(tracks - n + 1);
    l.push_back(L"Reading Track  " + nn + L",   " + left + L" Track(s) left");
    l.push_back(L"Encoding Track " + nn + L",   " + left + L" Track(s) left");
  }
  return l;
}

// Tracks 1 and 2 encode until track 4's read is under way, so later tracks
// finish first; the log still reads track by track, as with one encoder,
// and the reader never waited for an encoder.
TEST(PipelineSession, LogStaysInTrackOrderWhileEncodesOverlap) {
  for (int k : {1, 2, 4}) {
    World w;
    w.SetSlots(k);
    w.Select({1, 2, 3, 4, 5});
    std::vector<int> encodingAtRead;
    Lines statusAtRead4;
    w.reader.onRead = [&](int track) {
      encodingAtRead.push_back(w.Running());
      if (track == 4) statusAtRead4.push_back(w.status);
    };
    if (k > 1) {
      w.encoder.scripts[Wav(1)].done = w.encoder.scripts[Wav(2)].done = false;
      w.reader.scripts[4].during = [&] {
        // Track 3's lines are all known by now, yet none may be out.
        EXPECT_EQ(std::count(w.log.begin(), w.log.end(), L"Encoding Track 03,   03 Track(s) left"), 0) << k;
        w.EncoderOf(Wav(2))->Finish(true);
        w.EncoderOf(Wav(1))->Finish(true);
      };
    }
    w.Run();
    EXPECT_EQ(Middle(w.log), SequentialLog(5)) << k;
    for (int n = 1; n <= 5; ++n) {
      EXPECT_EQ(w.files.count(Mp3(n)), 1u) << k << " " << n;
      EXPECT_EQ(w.files.count(Wav(n)), 0u) << k << " " << n;
    }
    if (k == 1) {
      EXPECT_EQ(encodingAtRead, (std::vector<int>{0, 0, 0, 0, 0}));
    } else {
      // Reads 2..4 ran beside track 1's (and 2's) encode.
      EXPECT_EQ(encodingAtRead[1], 1) << k;
      EXPECT_EQ(encodingAtRead[3], k == 2 ? 2 : 3) << k;
      EXPECT_EQ(statusAtRead4, Lines{k == 2 ? L"Reading Track 04, encoding Tracks 01, 02"
                                            : L"Reading Track 04, encoding Tracks 01, 02, 03"});
    }
    ExpectEnded(w);
  }
}

// ABORT while track 3 is read and tracks 1 and 2 encode: every encode is
// stopped, each track says where it stopped, in track order, and keeps its
// WAV. A track that waited for an encoder says so too.
TEST(PipelineSession, AbortStopsTheReadAndEveryEncode) {
  for (int k : {2, 4}) {
    World w;
    w.SetSlots(k);
    w.Select({1, 2, 3, 4, 5, 6});
    for (int n = 1; n <= 6; ++n) w.encoder.scripts[Wav(n)].done = false;
    // k tracks encode, one waits for an encoder, the next is being read.
    w.reader.scripts[k + 2] = ReadScript{0, 5000, {}, ReadScript::Nothing, 0, {}, [&] { SessionRequestAbort(w); }};
    w.Run();
    auto nn = [](int n) { return L"0" + std::to_wstring(n); };
    Lines want;
    for (int n = 1; n <= k + 2; ++n) {
      want.push_back(L"Reading Track  " + nn(n) + L",   " + nn(7 - n) + L" Track(s) left");
      if (n <= k) {
        want.push_back(L"Encoding Track " + nn(n) + L",   " + nn(7 - n) + L" Track(s) left");
        want.push_back(L"Encoding Aborted");
      }
    }
    want.insert(want.end() - 1, L"Error, no MP3 file for Track " + nn(k + 1) +
                                    L" (the session was aborted before its encode) WAV file kept");
    want.push_back(L"Reading Aborted");
    EXPECT_EQ(Middle(w.log), want) << k;
    for (int s = 0; s < k; ++s) EXPECT_EQ(w.Slot(s).aborts, 1) << k << " " << s;
    for (int n = 1; n <= k + 2; ++n) EXPECT_EQ(w.files.count(Wav(n)), 1u) << k << " " << n;
    for (int n = 1; n <= 6; ++n) EXPECT_EQ(w.files.count(Mp3(n)), 0u) << k << " " << n;
    // BeginSession, the reads, AbortRead, EndSession: no read after the abort.
    EXPECT_EQ(w.reader.calls.size(), static_cast<size_t>(k + 2 + 3)) << k;
    ExpectEnded(w);
  }
}

// Track 2's encode fails (no MP3) while track 1 still encodes: the others
// go on, track 2 keeps its WAV with its line, in its place in the log.
TEST(PipelineSession, FailedEncodeInTheMiddleStopsNoOther) {
  for (int k : {1, 2, 4}) {
    World w;
    w.SetSlots(k);
    w.Select({1, 2, 3, 4});
    w.encoder.scripts[Wav(2)].done = false;
    w.encoder.scripts[Wav(2)].during = [&] { w.EncoderOf(Wav(2))->Finish(false); };
    if (k > 1) {
      w.encoder.scripts[Wav(1)].done = false;
      w.reader.scripts[4].during = [&] { w.EncoderOf(Wav(1))->Finish(true); };
    }
    w.Run();
    Lines want = SequentialLog(4);
    want.insert(want.begin() + 4, L"Error, no MP3 file for Track 02 (the MP3 file is missing) WAV file kept");
    EXPECT_EQ(Middle(w.log), want) << k;
    EXPECT_EQ(w.files, (std::map<std::wstring, long long>{
                           {Mp3(1), 1000}, {Wav(2), 4044}, {Mp3(3), 1000}, {Mp3(4), 1000}}))
        << k;
    ExpectEnded(w);
  }
}

// A drive faster than the encoders stops after slots + 2 WAV files wait,
// so the disk holds a bounded number of them; it goes on once one is taken.
TEST(PipelineSession, ReaderStopsWhenTooManyWavFilesWait) {
  World w;
  w.SetSlots(2);
  w.Select({1, 2, 3, 4, 5, 6, 7, 8, 9});
  w.encoder.scripts[Wav(1)].done = w.encoder.scripts[Wav(2)].done = false;
  size_t readsWhileStuck = 0;
  w.reader.scripts[6].during = [&] {
    // Queued behind track 6's ReadDone: runs once the session waits again.
    w.Post([&] {
      readsWhileStuck = w.reader.calls.size() - 1;
      w.EncoderOf(Wav(1))->Finish(true);
      w.EncoderOf(Wav(2))->Finish(true);
    });
  };
  w.Run();
  EXPECT_EQ(readsWhileStuck, 6u);  // 2 encoding, 4 waiting: no 7th read
  EXPECT_EQ(Middle(w.log), SequentialLog(9));
  EXPECT_EQ(w.files.size(), 9u);
}

// Verified rips with encodes overlapping the reads: each track is judged on
// its own read's proof, though later reads ended before its encode did.
TEST(PipelineSession, EachTrackJudgedOnItsOwnRead) {
  World w;
  w.SetSlots(2);
  w.Select({1, 2, 3});
  w.options.verify = true;
  w.db.answer = Found({Chunk({{5, 0x0A, 0}, {5, 0x0B, 0}, {5, 0x0C, 0}})});
  w.reader.proofs = {{1, Proof(0x0A, 1)}, {2, Proof(0x0B, 2)}, {3, Proof(0x0C, 3)}};
  w.encoder.scripts[Wav(1)].done = false;
  w.reader.scripts[3].during = [&] { w.EncoderOf(Wav(1))->Finish(true); };
  w.Run();
  EXPECT_EQ(Middle(w.log),
            (Lines{kFound, kRead1, kEnc1, L"Track 01: accurately ripped (confidence 5, AccurateRip v1 0000000A)",
                   kRead2, kEnc2, L"Track 02: accurately ripped (confidence 5, AccurateRip v1 0000000B)", kRead3,
                   kEnc3, L"Track 03: accurately ripped (confidence 5, AccurateRip v1 0000000C)",
                   L"3 of 3 tracks accurately ripped"}));
}

// The encoding bar shows the encodes in flight together; the all-tracks
// bar only grows and is full once every track is done.
TEST(PipelineSession, BarsShowTheWorkInFlight) {
  World w;
  w.SetSlots(2);
  w.Select({1, 2});
  w.encoder.scripts[Wav(1)] = EncodeScript{0, {50}, false, {}};
  w.encoder.scripts[Wav(2)] = EncodeScript{0, {150}, false, {}};
  std::vector<float> all;
  float encodingBoth = -1;
  auto snapAll = [&] { all.push_back(w.bars[0]); };
  w.reader.scripts[2].during = snapAll;
  w.encoder.scripts[Wav(2)].during = [&] {
    encodingBoth = w.bars[2];
    snapAll();
    w.EncoderOf(Wav(1))->Finish(true);
    w.Post([&] {
      snapAll();
      w.EncoderOf(Wav(2))->Finish(true);
    });
  };
  w.Run();
  // (50 + 150) / 400 = 50 %.
  EXPECT_FLOAT_EQ(encodingBoth, 3495.0f / 2);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  EXPECT_GT(all[0], 0.0f);
  EXPECT_EQ(Middle(w.log), SequentialLog(2));
}

}  // namespace
