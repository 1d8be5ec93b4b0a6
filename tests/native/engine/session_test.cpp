// The session's steps against in-memory components, windows and files. The
// components' events wait in a queue, as in the UI thread's message queue,
// and run while the session waits or a message box is up.
#include <gtest/gtest.h>

#include <array>
#include <deque>
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

}  // namespace
