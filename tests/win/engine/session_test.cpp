#include <windows.h>

#include <gtest/gtest.h>

#include "fake_components.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/session.h"
#include "ripper/engine/session_log.h"
#include "ripper/engine/ui_dispatch.h"
#include "ripper/engine/user_message.h"

namespace {

// A real message box runs its own modal loop: what is queued (component
// events among it) is dispatched while the box is up. A WM_QUIT ends the
// box and is posted again.
void PumpAsAMessageBoxWould() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UiDispatchInit());
    SetUserMessageHook([this](const std::wstring& text, UINT flags) {
      messages.push_back(text);
      flagsSeen.push_back(flags);
      linesAtMessage.push_back(Form2Lines());
      PumpAsAMessageBoxWould();
      return IDOK;
    });
    ProgressWindowPrepare(host);
  }
  void TearDown() override {
    ProgressWindowUnload();
    SetUserMessageHook(nullptr);
    UiDispatchShutdown();
  }

  std::wstring Path(const std::wstring& name) { return host.folder + L"\\" + name; }
  std::vector<std::string> LogLines() { return SplitCrLf(ReadAll(Path(L"trackforge.log"))); }
  void Select(std::initializer_list<int> tracks) {
    for (int t : tracks) host.selected[static_cast<size_t>(t - 1)] = true;
  }
  // The session's lines without the dated ones, which vary.
  static std::vector<std::string> Undated(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
      if (l.rfind("Starting Session (", 0) != 0 && l.rfind("Ending Session (", 0) != 0) out.push_back(l);
    return out;
  }
  static std::vector<std::string> Narrowed(const std::vector<std::wstring>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(Narrow(l));
    return out;
  }
  void ExpectEndedBesideMain() {
    EXPECT_FALSE(SessionIsRunning());
    ASSERT_TRUE(Form2IsLoaded());
    EXPECT_EQ(Form2ButtonCaption(), L"DONE");
    EXPECT_TRUE(IsWindowVisible(host.main));
    RECT m, f;
    GetWindowRect(host.main, &m);
    GetWindowRect(Form2Window(), &f);
    EXPECT_EQ(f.left, m.right);
    EXPECT_EQ(f.top, m.top);
    for (int bar = 1; bar <= 3; ++bar) {
      EXPECT_EQ(Form2BarWidth(bar), 0.0f) << bar;
      EXPECT_EQ(Form2BarPixels(bar), 0) << bar;
    }
  }

  FakeHost host;
  std::vector<std::wstring> messages;
  std::vector<UINT> flagsSeen;
  std::vector<std::vector<std::wstring>> linesAtMessage;
};

void ClickAbort() { SendMessageW(Form2Button(), BM_CLICK, 0, 0); }

TEST_F(SessionTest, NothingSelectedDoesNothing) {
  RunSession(host);
  EXPECT_TRUE(host.reader.calls.empty());
  EXPECT_EQ(FileSize(Path(L"trackforge.log")), -1);
  EXPECT_FALSE(IsWindowVisible(Form2Window()));
  EXPECT_TRUE(messages.empty());
}

TEST_F(SessionTest, TracksTwoAndFiveOfNine) {
  Select({2, 5});
  std::vector<std::wstring> statusAtRead, statusAtEncode;
  std::vector<float> encodeBarAtRead;
  bool mainHiddenDuringRead = true;
  host.reader.onRead = [&](int) {
    statusAtRead.push_back(Form2Status());
    encodeBarAtRead.push_back(Form2BarWidth(3));
    mainHiddenDuringRead = mainHiddenDuringRead && !IsWindowVisible(host.main) && IsWindowVisible(Form2Window());
  };
  host.encoder.onStart = [&] { statusAtEncode.push_back(Form2Status()); };

  RunSession(host);

  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[0].rfind("Starting Session (" + Narrow(UserShortDate()) + ") (", 0), 0u) << log[0];
  EXPECT_EQ(log[0].back(), ')');
  EXPECT_EQ(log[5].rfind("Ending Session (", 0), 0u) << log[5];
  EXPECT_EQ(log[6], "");
  EXPECT_EQ(Undated(log), (std::vector<std::string>{
                              "Reading Track  02,   02 Track(s) left",
                              "Encoding Track 02,   02 Track(s) left",
                              "Reading Track  05,   01 Track(s) left",
                              "Encoding Track 05,   01 Track(s) left",
                              "",
                          }));
  // The list holds the same lines but the closing empty one.
  EXPECT_EQ(Narrowed(Form2Lines()), std::vector<std::string>(log.begin(), log.end() - 1));
  EXPECT_EQ(statusAtRead, (std::vector<std::wstring>{L"Reading Track 02,   02 Track(s) left",
                                                      L"Reading Track 05,   01 Track(s) left"}));
  EXPECT_EQ(statusAtEncode, (std::vector<std::wstring>{L"Encoding Track 02,   02 Track(s) left",
                                                        L"Encoding Track 05,   01 Track(s) left"}));
  // The encoding bar starts every track empty, after being full.
  EXPECT_EQ(encodeBarAtRead, (std::vector<float>{0.0f, 0.0f}));
  EXPECT_TRUE(mainHiddenDuringRead);

  EXPECT_EQ(host.reader.calls,
            (std::vector<std::wstring>{L"BeginSession", L"Read 2 " + Path(L"Track02.wav"),
                                       L"Read 5 " + Path(L"Track05.wav"), L"EndSession"}));
  EXPECT_EQ(host.encoder.calls,
            (std::vector<std::wstring>{L"BitRate 128", L"SetFiles " + Path(L"Track02.wav") + L" " + Path(L"Track02.mp3"),
                                       L"StartEncoding", L"BitRate 128",
                                       L"SetFiles " + Path(L"Track05.wav") + L" " + Path(L"Track05.mp3"),
                                       L"StartEncoding"}));
  EXPECT_EQ(FileSize(Path(L"Track02.wav")), -1);
  EXPECT_EQ(FileSize(Path(L"Track05.wav")), -1);
  EXPECT_EQ(FileSize(Path(L"Track02.mp3")), 1000);
  EXPECT_EQ(FileSize(Path(L"Track05.mp3")), 1000);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(host.state.SelectedTotal, 2);
  EXPECT_EQ(host.state.SelectedOrdinal, 2);
  ExpectEndedBesideMain();
}

TEST_F(SessionTest, BarsFollowReadAndEncodeProgress) {
  Select({3, 4});
  struct Seen { float all, track, enc; };
  std::vector<Seen> atRead, atEncode;
  auto snap = [](std::vector<Seen>& into) {
    return [&into] { into.push_back({Form2BarWidth(1), Form2BarWidth(2), Form2BarWidth(3)}); };
  };
  host.reader.scripts[4] = ReadScript{};
  host.reader.scripts[4].progress = {500};
  host.reader.scripts[4].during = snap(atRead);
  EncodeScript e;
  e.progress = {25};
  e.during = snap(atEncode);
  host.encoder.scripts[Path(L"Track04.wav")] = e;
  RunSession(host);
  ASSERT_EQ(atRead.size(), 1u);
  EXPECT_FLOAT_EQ(atRead[0].track, 1747.5f);
  EXPECT_FLOAT_EQ(atRead[0].all, 1747.5f / 2 + 3495.0f / 2);
  EXPECT_EQ(atRead[0].enc, 0.0f);
  ASSERT_EQ(atEncode.size(), 1u);
  EXPECT_FLOAT_EQ(atEncode[0].enc, 419.4f);  // 12.5 % rounds to 12
  EXPECT_FLOAT_EQ(atEncode[0].all, 1747.5f / 2 + 3495.0f / 2);  // unchanged while encoding
  ExpectEndedBesideMain();
}

TEST_F(SessionTest, EmptyWavIsKeptAndTheNextTrackFollows) {
  Select({1, 2});
  host.reader.scripts[1].wavBytes = 44;
  RunSession(host);
  EXPECT_EQ(Undated(LogLines()), (std::vector<std::string>{
                                     "Reading Track  01,   02 Track(s) left",
                                     "Error, invalid lenght on Track 01 Skipping to next Track",
                                     "Reading Track  02,   01 Track(s) left",
                                     "Encoding Track 02,   01 Track(s) left",
                                     "",
                                 }));
  EXPECT_EQ(FileSize(Path(L"Track01.wav")), 44);
  EXPECT_EQ(FileSize(Path(L"Track01.mp3")), -1);
  EXPECT_EQ(FileSize(Path(L"Track02.wav")), -1);
  EXPECT_EQ(FileSize(Path(L"Track02.mp3")), 1000);
  // No SetFiles for the empty file; the bit rate is still set first.
  EXPECT_EQ(host.encoder.calls.front(), L"BitRate 128");
  EXPECT_EQ(host.encoder.calls[1], L"BitRate 128");
}

TEST_F(SessionTest, SetFilesFailureKeepsTheWavAndSaysSo) {
  Select({1});
  host.state.BitRate = 192;
  host.encoder.scripts[Path(L"Track01.wav")].setFilesStatus = 3;
  RunSession(host);
  EXPECT_EQ(Undated(LogLines()), (std::vector<std::string>{"Reading Track  01,   01 Track(s) left",
                                                           "Error, no MP3 file for Track 01 (encoder status 3) WAV file kept",
                                                           ""}));
  EXPECT_EQ(host.encoder.calls, (std::vector<std::wstring>{
                                    L"BitRate 192", L"SetFiles " + Path(L"Track01.wav") + L" " + Path(L"Track01.mp3")}));
  EXPECT_EQ(host.state.EncodeStatus, 3);
  EXPECT_EQ(FileSize(Path(L"Track01.wav")), 4044);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SessionTest, EncodeDoneWithoutAnMp3FileKeepsTheWav) {
  Select({1, 2});
  host.encoder.scripts[Path(L"Track01.wav")].done = false;
  host.encoder.scripts[Path(L"Track01.wav")].during = [this] { SessionEncodeDone(host); };
  RunSession(host);
  EXPECT_EQ(Undated(LogLines())[2], "Error, no MP3 file for Track 01 (the MP3 file is missing) WAV file kept");
  EXPECT_EQ(FileSize(Path(L"Track01.wav")), 4044);
  EXPECT_EQ(FileSize(Path(L"Track02.wav")), -1);
  EXPECT_EQ(FileSize(Path(L"Track02.mp3")), 1000);
}

TEST_F(SessionTest, ReadErrorIsLoggedAndSkipsTheEncode) {
  Select({1, 2, 3});
  host.reader.scripts[2].end = ReadScript::Error;
  host.reader.scripts[2].errorCode = -17;
  host.reader.scripts[2].errorMessage = L"Sector 1200 unreadable";
  host.reader.scripts[3].end = ReadScript::Error;
  host.reader.scripts[3].errorCode = 4;
  host.reader.scripts[3].errorMessage = L"short";
  host.reader.scripts[3].wavBytes = 44;
  RunSession(host);
  EXPECT_EQ(Undated(LogLines()), (std::vector<std::string>{
                                     "Reading Track  01,   03 Track(s) left",
                                     "Encoding Track 01,   03 Track(s) left",
                                     "Reading Track  02,   02 Track(s) left",
                                     "Error code -17, Sector 1200 unreadable",
                                     "Reading Track  03,   01 Track(s) left",
                                     "Error code 4, short",
                                     "Error, invalid lenght on Track 03 Skipping to next Track",
                                     "",
                                 }));
  EXPECT_EQ(FileSize(Path(L"Track02.wav")), -1);  // deleted: not an empty file
  EXPECT_EQ(FileSize(Path(L"Track02.mp3")), -1);
  EXPECT_EQ(FileSize(Path(L"Track03.wav")), 44);  // kept: empty
  EXPECT_EQ(host.state.ReadFailed, kVbTrue);
  // Only the good track is prepared for encoding.
  int setFiles = 0;
  for (const auto& c : host.encoder.calls) setFiles += c.rfind(L"SetFiles ", 0) == 0;
  EXPECT_EQ(setFiles, 1);
}

TEST_F(SessionTest, RefusedReadShowsTheMessageAndStillWaits) {
  Select({1});
  host.reader.scripts[1].status = 1;
  host.reader.scripts[1].wavBytes = -1;
  host.reader.scripts[1].progress = {};
  host.reader.scripts[1].end = ReadScript::Error;
  host.reader.scripts[1].errorCode = 2;
  host.reader.scripts[1].errorMessage = L"no disc";
  RunSession(host);
  ASSERT_EQ(messages, std::vector<std::wstring>{L"Error: can not read track!"});
  EXPECT_EQ(flagsSeen[0], static_cast<UINT>(MB_OK));
  // The message box dispatches the ReadError; its line still comes second.
  EXPECT_EQ(Undated(LogLines()),
            (std::vector<std::string>{"Reading Track  01,   01 Track(s) left", "Error code 2, no disc", ""}));
  // Shown before the "Reading Track" line.
  EXPECT_EQ(Undated(Narrowed(linesAtMessage[0])), std::vector<std::string>{});
}

TEST_F(SessionTest, MissingWavIsReportedAndNothingEncoded) {
  Select({1});
  host.reader.scripts[1].wavBytes = -1;
  RunSession(host);
  EXPECT_EQ(Undated(LogLines()),
            (std::vector<std::string>{"Reading Track  01,   01 Track(s) left",
                                      "Error, no WAV file for Track 01 Skipping to next Track", ""}));
  EXPECT_EQ(host.encoder.calls, std::vector<std::wstring>{L"BitRate 128"});
}

TEST_F(SessionTest, AbortWhileReading) {
  Select({1, 2});
  host.reader.scripts[1].end = ReadScript::Nothing;
  host.reader.scripts[1].wavBytes = 5000;
  host.reader.scripts[1].during = ClickAbort;
  RunSession(host);
  ASSERT_EQ(messages, std::vector<std::wstring>{L"Ripping and Encoding Aborted"});
  EXPECT_EQ(flagsSeen[0], static_cast<UINT>(MB_OK));
  // The "Reading Aborted" line comes after the user closed the message.
  EXPECT_EQ(Undated(Narrowed(linesAtMessage[0])), std::vector<std::string>{"Reading Track  01,   02 Track(s) left"});
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[2], "Reading Aborted");
  EXPECT_EQ(log[3].rfind("Ending Session (", 0), 0u);
  EXPECT_EQ(log[4], "");
  EXPECT_EQ(host.reader.calls, (std::vector<std::wstring>{L"BeginSession", L"Read 1 " + Path(L"Track01.wav"),
                                                          L"AbortRead", L"EndSession"}));
  EXPECT_TRUE(host.encoder.calls.empty());
  EXPECT_EQ(FileSize(Path(L"Track01.wav")), 5000);
  EXPECT_EQ(host.state.AbortRequested, kVbTrue);
  ExpectEndedBesideMain();
}

TEST_F(SessionTest, AbortWhileEncoding) {
  Select({1, 2});
  EncodeScript e;
  e.done = false;
  e.during = ClickAbort;
  host.encoder.scripts[Path(L"Track01.wav")] = e;
  RunSession(host);
  ASSERT_EQ(messages, std::vector<std::wstring>{L"Ripping and Encoding Aborted"});
  EXPECT_EQ(Undated(LogLines()), (std::vector<std::string>{"Reading Track  01,   02 Track(s) left",
                                                           "Encoding Track 01,   02 Track(s) left",
                                                           "Encoding Aborted", ""}));
  // The reader is told first (by the button), the encoder after (by the session).
  EXPECT_EQ(host.reader.calls, (std::vector<std::wstring>{L"BeginSession", L"Read 1 " + Path(L"Track01.wav"),
                                                          L"AbortRead", L"EndSession"}));
  EXPECT_EQ(host.encoder.calls.back(), L"AbortEncoding");
  EXPECT_EQ(FileSize(Path(L"Track01.wav")), 44 + 4000);
  ExpectEndedBesideMain();
}

TEST_F(SessionTest, TwoSessionsAppendTwoBlocksAndDoneClosesTheWindow) {
  Select({1});
  RunSession(host);
  ExpectEndedBesideMain();
  ClickAbort();  // the button reads DONE
  EXPECT_FALSE(Form2IsLoaded());
  host.selected[0] = false;
  Select({7});
  RunSession(host);
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 10u);
  EXPECT_EQ(log[1], "Reading Track  01,   01 Track(s) left");
  EXPECT_EQ(log[4], "");
  EXPECT_EQ(log[5].rfind("Starting Session (", 0), 0u);
  EXPECT_EQ(log[6], "Reading Track  07,   01 Track(s) left");
  EXPECT_EQ(log[9], "");
  // The second window starts afresh: only this session's lines.
  EXPECT_EQ(Form2Lines().size(), 4u);
}

TEST_F(SessionTest, SecondSessionWithoutDoneStartsCentredAndEmpty) {
  Select({1});
  RunSession(host);
  RunSession(host);
  EXPECT_EQ(Form2Lines().size(), 4u);
  RECT f;
  GetWindowRect(Form2Window(), &f);
  // Ended beside the main window, not where it started.
  RECT m;
  GetWindowRect(host.main, &m);
  EXPECT_EQ(f.left, m.right);
}

TEST_F(SessionTest, StartShowsTheWindowCentredWithAbort) {
  Select({1});
  RECT at{};
  std::wstring caption;
  host.reader.onRead = [&](int) {
    GetWindowRect(Form2Window(), &at);
    caption = Form2ButtonCaption();
  };
  RunSession(host);
  int w = at.right - at.left, h = at.bottom - at.top;
  EXPECT_NEAR(at.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, 1);
  EXPECT_NEAR(at.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 1);
  EXPECT_EQ(caption, L"ABORT");
}

TEST_F(SessionTest, LogThatCannotBeOpenedStopsBeforeReading) {
  Select({1});
  host.folder += L"\\missing\\deeper";
  RunSession(host);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(L"trackforge.log"), std::wstring::npos);
  EXPECT_EQ(host.reader.calls, (std::vector<std::wstring>{L"BeginSession", L"EndSession"}));
  EXPECT_TRUE(host.encoder.calls.empty());
  ExpectEndedBesideMain();
  host.folder.resize(host.folder.size() - std::wstring(L"\\missing\\deeper").size());
}

TEST_F(SessionTest, TitleBarCloseDuringASessionAborts) {
  Select({1});
  host.reader.scripts[1].end = ReadScript::Nothing;
  host.reader.scripts[1].during = [] { SendMessageW(Form2Window(), WM_CLOSE, 0, 0); };
  RunSession(host);
  EXPECT_EQ(messages, std::vector<std::wstring>{L"Ripping and Encoding Aborted"});
  EXPECT_EQ(Undated(LogLines())[1], "Reading Aborted");
  ExpectEndedBesideMain();
  SendMessageW(Form2Window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Form2IsLoaded());
}

TEST_F(SessionTest, QuitWhileWaitingEndsTheSessionAndReachesTheMainLoop) {
  Select({1, 2});
  host.reader.scripts[1].end = ReadScript::Nothing;
  host.reader.scripts[1].during = [] { PostQuitMessage(7); };
  RunSession(host);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Undated(LogLines()), (std::vector<std::string>{"Reading Track  01,   02 Track(s) left", "Reading Aborted", ""}));
  EXPECT_EQ(host.reader.calls[2], L"AbortRead");
  MSG m;
  bool quit = false;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) quit = m.wParam == 7;
    else DispatchMessageW(&m);  // WM_PAINT stays queued until painted
  }
  EXPECT_TRUE(quit);
}

TEST_F(SessionTest, CddbTitlesNameTheMp3) {
  Select({1, 2, 3});
  host.state.UseCddb = kVbTrue;
  host.cddb.titles[1] = L"Intro";
  host.cddb.titles[2] = L"AC/DC: Live?";
  RunSession(host);
  EXPECT_EQ(FileSize(Path(L"01 - Intro.mp3")), 1000);
  EXPECT_EQ(FileSize(Path(L"02 - AC_DC_ Live_.mp3")), 1000);
  // The record has no title for track 3: the plain name, not "03 - .mp3".
  EXPECT_EQ(FileSize(Path(L"Track03.mp3")), 1000);
  EXPECT_EQ(host.reader.calls[1], L"Read 1 " + Path(L"Track01.wav"));
}

TEST_F(SessionTest, OnlyMinusOneCountsAsCddbOn) {
  Select({1});
  host.state.UseCddb = 1;
  host.cddb.titles[1] = L"Intro";
  RunSession(host);
  EXPECT_EQ(FileSize(Path(L"Track01.mp3")), 1000);
}

TEST_F(SessionTest, LogIsAnsiWithCrLf) {
  Select({1});
  host.reader.scripts[1].end = ReadScript::Error;
  host.reader.scripts[1].errorCode = 9;
  host.reader.scripts[1].errorMessage = L"Lecture \u00e9chou\u00e9e";
  RunSession(host);
  std::string raw = ReadAll(Path(L"trackforge.log"));
  EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
  EXPECT_EQ(raw.find("\n"), raw.find("\r\n") + 1);
  if (GetACP() == 1252) {
    EXPECT_NE(raw.find("Error code 9, Lecture \xe9" "chou\xe9" "e\r\n"), std::string::npos);
  }
  EXPECT_EQ(raw.find(std::string("\0", 1)), std::string::npos);  // not UTF-16
}

TEST_F(SessionTest, EventsOutsideASessionChangeNothing) {
  SessionReadProgress(host, 500);
  SessionEncodeProgress(host, 100);
  SessionReadError(host, 3, L"late");
  EXPECT_EQ(Form2BarWidth(1), 0.0f);
  EXPECT_EQ(Form2BarWidth(2), 0.0f);
  EXPECT_EQ(Form2BarWidth(3), 0.0f);
  EXPECT_TRUE(Form2Lines().empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(SessionTest, ZeroProgressTotalLeavesTheEncodingBarEmpty) {
  Select({1});
  host.encoder.total = 0;
  float seen = -1;
  EncodeScript e;
  e.during = [&] { seen = Form2BarWidth(3); };
  host.encoder.scripts[Path(L"Track01.wav")] = e;
  RunSession(host);
  EXPECT_EQ(seen, 0.0f);
}

TEST(ProgressWindowPrepare, TakesTheDesignWidthAndEmptiesTheBars) {
  ASSERT_TRUE(UiDispatchInit());
  FakeHost host;
  host.state.BarFullWidth = 0;
  ProgressWindowPrepare(host);
  EXPECT_EQ(host.state.BarFullWidth, 3495.0f);
  ASSERT_TRUE(Form2IsLoaded());
  EXPECT_FALSE(IsWindowVisible(Form2Window()));
  for (int bar = 1; bar <= 3; ++bar) EXPECT_EQ(Form2BarWidth(bar), 0.0f);
  ProgressWindowUnload();
  EXPECT_FALSE(Form2IsLoaded());
  UiDispatchShutdown();
}

}  // namespace
