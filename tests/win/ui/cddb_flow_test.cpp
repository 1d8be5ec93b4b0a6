// The Use CDDB toggle on the real main window with a scripted CDDB client:
// the order of calls, messages and windows, and what the list shows after.
#include <gtest/gtest.h>

#include <memory>

#include "ripper/engine/track_tags.h"
#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/code_dialog.h"
#include "ripper/ui/form1.h"
#include "ripper/ui/form1_ids.h"
#include "ripper/ui/form3.h"
#include "tests/win/ui/scripted_parts.h"

namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

const std::wstring kConnect =
    L"To Identify the CD using CDDB database you must connect to the internet, please do so now";
const std::wstring kNo =
    L"Ok, then the use of CDDB is disabled for now, you can disconnect from the internet if you want to";
const std::wstring kRetrieved = L"Data retrieved, you can disconnect from the internet now";

class CddbFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUserMessageHook([this](const std::wstring& text, UINT flags) {
      messages.push_back(text);
      flagsSeen.push_back(flags);
      if (cddb) cddb->calls.push_back(L"message");
      // Where the question appears: over the wait box, main window hidden.
      if (flags & MB_YESNO) {
        questionOverWaitBox =
            Form3Window() && IsWindowVisible(Form3Window()) && !IsWindowVisible(form->Hwnd());
        return answer;
      }
      return IDOK;
    });
    Form1Components c;
    auto r = std::make_unique<ScriptedReader>();
    reader = r.get();
    auto d = std::make_unique<ScriptedCddb>();
    cddb = d.get();
    c.reader = std::move(r);
    c.encoder = std::make_unique<IdleEncoder>();
    c.cddb = std::move(d);
    form = std::make_unique<Form1>(std::move(c));
    ASSERT_TRUE(form->Load());
    form->Show();
    SendMessageW(Ctl(kIdList2), LB_SETCURSEL, 0, 0);
    form->LoadTrackList();
    plain = Items();
    ASSERT_EQ(plain.size(), 3u);
    cddb->duringLookup = [this] {
      waitBoxShown = Form3Window() && IsWindowVisible(Form3Window());
      mainHidden = !IsWindowVisible(form->Hwnd());
      if (waitBoxShown)
        waitText = WindowText(Form3Window()) + L"|" + WindowText(GetDlgItem(Form3Window(), 4001));
    };
  }
  void TearDown() override {
    form.reset();
    DropQuit();
    SetUserMessageHook(nullptr);
    ClearCddbDiscDetails();
  }
  HWND Ctl(int id) { return form->Control(id); }
  std::vector<std::wstring> Items() { return ListItems(Ctl(kIdList1)); }
  void Click7() { ClickButton(Ctl(kIdCommand7)); }
  std::wstring Caption7() { return WindowText(Ctl(kIdCommand7)); }
  // Titles off, the plain list, the wait box gone, the main window back.
  void ExpectAsBefore() {
    EXPECT_EQ(Items(), plain);
    EXPECT_EQ(form->State().UseCddb, kVbFalse);
    EXPECT_EQ(Caption7(), L"Use CDDB");
    EXPECT_EQ(Form3Window(), nullptr);
    EXPECT_TRUE(IsWindowVisible(form->Hwnd()));
  }

  std::unique_ptr<Form1> form;
  ScriptedReader* reader = nullptr;
  ScriptedCddb* cddb = nullptr;
  std::vector<std::wstring> plain, messages;
  std::vector<UINT> flagsSeen;
  int answer = IDYES;
  bool waitBoxShown = false, mainHidden = false, questionOverWaitBox = false;
  std::wstring waitText;
};

// The CDDB client posts a WM_QUIT that came during its wait again; the
// flow's own pumping must not swallow it on the way back.
TEST_F(CddbFlowTest, QuitDuringTheLookupReachesTheMainLoop) {
  cddb->error = L"The CDDB lookup was stopped because the program is closing.";
  cddb->duringLookup = [] { PostQuitMessage(5); };
  Click7();
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 5u);
  EXPECT_EQ(messages, std::vector<std::wstring>{kConnect}) << "no message box to answer while closing";
  EXPECT_EQ(Caption7(), L"Use CDDB");
  EXPECT_EQ(form->State().UseCddb, kVbFalse);
}

TEST_F(CddbFlowTest, YesWritesTitlesInPlaceAndSwitchesTheCaption) {
  SendMessageW(Ctl(kIdList1), LB_SETSEL, TRUE, 1);
  Click7();
  EXPECT_EQ(cddb->calls,
            (std::vector<std::wstring>{L"ClientName=trackforge", L"message", L"Connection=Open", L"DiscTitle",
                                       L"message", L"CddbTrackCount", L"TrackTitle 1", L"TrackTitle 2",
                                       L"Connection=Close", L"message"}));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], kConnect);
  EXPECT_EQ(messages[1], L"Is this the CD you have in the Drive ?\nArtist / Album");
  EXPECT_EQ(messages[2], kRetrieved);
  for (UINT f : flagsSeen) EXPECT_EQ(f & MB_ICONMASK, 0u) << "no icon";
  EXPECT_EQ(flagsSeen[1] & MB_TYPEMASK, UINT(MB_YESNO));
  EXPECT_TRUE(waitBoxShown);
  EXPECT_TRUE(mainHidden);
  EXPECT_TRUE(questionOverWaitBox);
  EXPECT_EQ(waitText, L"Connecting to CDDB|Connecting To CDDB, Please wait, this can take some time.");
  EXPECT_EQ(Form3Window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(form->Hwnd()));

  // Two titles for three entries: the third keeps its plain text.
  EXPECT_EQ(Items(), (std::vector<std::wstring>{L"01 - One", L"02 - Two", plain[2]}));
  EXPECT_GT(SendMessageW(Ctl(kIdList1), LB_GETSEL, 1, 0), 0) << "selection kept";
  EXPECT_EQ(SendMessageW(Ctl(kIdList1), LB_GETSEL, 0, 0), 0);
  EXPECT_EQ(form->State().UseCddb, kVbTrue);
  EXPECT_EQ(Caption7(), L"Dont use CDDB");
}

TEST_F(CddbFlowTest, SurplusTitlesAreIgnored) {
  cddb->titles = {L"a", L"b", L"c", L"d", L"e"};
  Click7();
  EXPECT_EQ(Items(), (std::vector<std::wstring>{L"01 - a", L"02 - b", L"03 - c"}));
  EXPECT_EQ(Caption7(), L"Dont use CDDB");
}

TEST_F(CddbFlowTest, NoLeavesEverythingAsItWas) {
  answer = IDNO;
  Click7();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[2], kNo);
  EXPECT_EQ(cddb->calls.back(), L"Connection=Close");
  ExpectAsBefore();
}

TEST_F(CddbFlowTest, AFailedLookupEndsLikeNoWithTheReason) {
  cddb->error = L"The CDDB server did not answer within 20 seconds.";
  Click7();
  ASSERT_EQ(messages.size(), 2u) << "no question after a failure";
  EXPECT_NE(messages[1].find(cddb->error), std::wstring::npos) << Narrow(messages[1]);
  EXPECT_EQ(cddb->calls.back(), L"message");
  EXPECT_EQ(cddb->calls[cddb->calls.size() - 2], L"Connection=Close");
  ExpectAsBefore();
}

TEST_F(CddbFlowTest, SwitchingOffRebuildsThePlainList) {
  Click7();
  ASSERT_EQ(Caption7(), L"Dont use CDDB");
  // The disc changed meanwhile: the rebuilt list comes from the reader.
  reader->trackMs = {60000};
  messages.clear();
  cddb->calls.clear();
  Click7();
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(cddb->calls.empty()) << "switching off does not talk to CDDB";
  EXPECT_EQ(Items().size(), 1u);
  EXPECT_EQ(Items()[0].rfind(L"Track 01", 0), 0u) << Narrow(Items()[0]);
  EXPECT_EQ(form->State().UseCddb, kVbFalse);
  EXPECT_EQ(Caption7(), L"Use CDDB");
}

TEST_F(CddbFlowTest, OnlyTheExactCaptionSwitchesOff) {
  SetWindowTextW(Ctl(kIdCommand7), L"dont use cddb");
  Click7();
  EXPECT_EQ(cddb->calls.front(), L"ClientName=trackforge") << "a lookup, not a switch off";
}

TEST_F(CddbFlowTest, AnEmptyTrackListStillConnectsAndAsks) {
  SendMessageW(Ctl(kIdList1), LB_RESETCONTENT, 0, 0);
  Click7();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1], L"Is this the CD you have in the Drive ?\nArtist / Album");
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Caption7(), L"Dont use CDDB");
}

}  // namespace
