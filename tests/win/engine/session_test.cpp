#include <windows.h>

#include <gtest/gtest.h>

#include "fake_components.h"
#include "session_fixture.h"
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

class SessionTest : public SessionFixture {
 protected:
  int OnMessage(const std::wstring& text, UINT flags) override {
    messages.push_back(text);
    flagsSeen.push_back(flags);
    linesAtMessage.push_back(Form2Lines());
    PumpAsAMessageBoxWould();
    return IDOK;
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

  std::vector<UINT> flagsSeen;
  std::vector<std::vector<std::wstring>> linesAtMessage;
};

void ClickAbort() { SendMessageW(Form2Button(), BM_CLICK, 0, 0); }

// The session's steps are tested natively; here the real windows, message
// boxes, message queue and log file.
TEST_F(SessionTest, ASessionOnTheRealWindowsAndDisk) {
  Select({2, 5});
  std::vector<std::wstring> statusAtRead;
  bool mainHiddenDuringRead = true;
  host.reader.onRead = [&](int) {
    statusAtRead.push_back(Form2Status());
    mainHiddenDuringRead =
        mainHiddenDuringRead && !IsWindowVisible(host.main) && IsWindowVisible(Form2Window());
  };
  host.reader.scripts[2].errorMessage = L"Lecture \u00e9chou\u00e9e";
  host.reader.scripts[2].end = ReadScript::Error;
  RunSession(host, host.main);

  const std::string raw = ReadAll(Path(L"trackforge.log"));
  std::vector<std::string> log = SplitCrLf(raw);
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(log[0].rfind("Starting Session (" + Narrow(UserShortDate()) + ") (", 0), 0u) << log[0];
  EXPECT_EQ(log[5].rfind("Ending Session (", 0), 0u) << log[5];
  EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
  EXPECT_EQ(raw.find("\n"), raw.find("\r\n") + 1);
  if (GetACP() == 1252) {
    EXPECT_NE(raw.find("Error code 0, Lecture \xe9"
                       "chou\xe9"
                       "e\r\n"),
              std::string::npos);
  }
  EXPECT_EQ(raw.find(std::string("\0", 1)), std::string::npos);  // not UTF-16
  // The list holds the same lines but the closing empty one.
  std::vector<std::string> list;
  for (const std::wstring& l : Form2Lines()) list.push_back(ToAnsi(l));
  EXPECT_EQ(list, std::vector<std::string>(log.begin(), log.end() - 1));
  EXPECT_EQ(statusAtRead, (std::vector<std::wstring>{L"Reading Track 02,   02 Track(s) left",
                                                     L"Reading Track 05,   01 Track(s) left"}));
  EXPECT_TRUE(mainHiddenDuringRead);
  EXPECT_EQ(FileSize(Path(L"Track02.wav")), -1);
  EXPECT_EQ(FileSize(Path(L"Track05.wav")), -1);
  EXPECT_EQ(FileSize(Path(L"Track05.mp3")), 1000);
  EXPECT_TRUE(messages.empty());
  ExpectEndedBesideMain();
}

// The button and the title bar's close both abort, the message first.
TEST_F(SessionTest, AbortToldBeforeTheAbortedLine) {
  Select({1, 2});
  host.reader.scripts[1].end = ReadScript::Nothing;
  for (auto abort : {ClickAbort, +[] { SendMessageW(Form2Window(), WM_CLOSE, 0, 0); }}) {
    messages.clear();
    host.reader.scripts[1].during = abort;
    RunSession(host, host.main);
    ASSERT_EQ(messages, std::vector<std::wstring>{L"Ripping and Encoding Aborted"});
    EXPECT_EQ(flagsSeen[0], static_cast<UINT>(MB_OK));
    EXPECT_EQ(linesAtMessage.back().size(), 2u);
    EXPECT_EQ(linesAtMessage.back().back(), L"Reading Track  01,   02 Track(s) left");
    EXPECT_EQ(Form2Lines().at(2), L"Reading Aborted");
    ExpectEndedBesideMain();
  }
  SendMessageW(Form2Window(), WM_CLOSE, 0, 0);  // after a session: closes
  EXPECT_FALSE(Form2IsLoaded());
}

// A second session starts centred, empty and with ABORT; after DONE closed
// the window, the next one opens it again. The log takes every session.
TEST_F(SessionTest, SessionsAfterSessions) {
  Select({1});
  RunSession(host, host.main);
  RECT at{};
  std::wstring caption;
  size_t lines = 99;
  host.reader.onRead = [&](int) {
    GetWindowRect(Form2Window(), &at);
    caption = Form2ButtonCaption();
    lines = Form2Lines().size();
  };
  RunSession(host, host.main);
  int w = at.right - at.left, h = at.bottom - at.top;
  EXPECT_NEAR(at.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, 1);
  EXPECT_NEAR(at.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 1);
  EXPECT_EQ(caption, L"ABORT");
  EXPECT_EQ(lines, 1u);  // "Starting Session" alone
  ExpectEndedBesideMain();
  ClickAbort();  // the button reads DONE
  EXPECT_FALSE(Form2IsLoaded());
  host.selected[0] = false;
  Select({7});
  RunSession(host, host.main);
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 15u);
  EXPECT_EQ(log[1], "Reading Track  01,   01 Track(s) left");
  EXPECT_EQ(log[10].rfind("Starting Session (", 0), 0u);
  EXPECT_EQ(log[11], "Reading Track  07,   01 Track(s) left");
  EXPECT_EQ(Form2Lines().size(), 4u);
  ExpectEndedBesideMain();
}

TEST_F(SessionTest, QuitWhileWaitingEndsTheSessionAndReachesTheMainLoop) {
  Select({1, 2});
  host.reader.scripts[1].end = ReadScript::Nothing;
  host.reader.scripts[1].during = [] { PostQuitMessage(7); };
  RunSession(host, host.main);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Undated(LogLines()),
            (std::vector<std::string>{"Reading Track  01,   02 Track(s) left", "Reading Aborted", ""}));
  MSG m;
  bool quit = false;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT)
      quit = m.wParam == 7;
    else
      DispatchMessageW(&m);  // WM_PAINT stays queued until painted
  }
  EXPECT_TRUE(quit);
}

}  // namespace
