// Use CDDB in wavequill under Wine against the CDDB test server, driven
// from outside through its own windows. run.sh reads the tags back.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ripper/engine/form2_ids.h"
#include "ripper/ui/cddbui_ids.h"
#include "ripper/ui/form1_ids.h"
#include "tests/e2e/harness/e2e_harness.h"
#include "tests/e2e/harness/wavequill_test.h"

namespace {

const std::wstring kCaption = L"wavequill";
const std::wstring kOutName = L"wq-cddb-e2e";
const std::wstring kOut = L"C:\\" + kOutName;
const std::wstring kCue = L"C:\\wq-cddb-e2e-discs\\disc.cue";
const std::wstring kConnect =
    L"To Identify the CD using CDDB database you must connect to the internet, please do so now";
const std::wstring kQuestion = L"Is this the CD you have in the Drive ?\nTest Bed Artist / Caf\u00e9 Album";
const std::wstring kNo =
    L"Ok, then the use of CDDB is disabled for now, you can disconnect from the internet if you want to";
const std::wstring kRetrieved = L"Data retrieved, you can disconnect from the internet now";
const std::wstring kTitle3 = L"..\\..\\Caf\u00e9 \u2605";

std::string Narrow(const std::wstring& w) { return e2e::Utf8(w); }

std::wstring Base() {
  char buf[256] = {};
  GetEnvironmentVariableA("WQ_CDDB_BASE", buf, sizeof buf);
  return std::wstring(buf, buf + strlen(buf));
}

class UseCddb : public e2e::WavequillTest {
 protected:
  void Start(const std::wstring& mode) {
    ASSERT_FALSE(Base().empty()) << "WQ_CDDB_BASE not set (run through run.sh)";
    ASSERT_TRUE(proc.Start(BinDir() + L"\\wavequill.exe", L"--disc-image \"" + kCue + L"\" --cddb-server " +
                                                              Base() + mode + L"/~cddb/cddb.cgi"));
    form = proc.WaitTopWindow(WQ_FORM1_CLASS);
    ASSERT_NE(form, nullptr);
    HWND list2 = Ctl(kIdList2);
    int at = e2e::FindListItem(
        list2, [&](const std::wstring& s) { return s.find(L"disc.cue") != std::wstring::npos; });
    ASSERT_GE(at, 0);
    ASSERT_TRUE(e2e::DoubleClickListItem(list2, at));
    ASSERT_TRUE(e2e::WaitFor([&] { return SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0) == 3; }));
    plain = e2e::ListBoxItems(Ctl(kIdList1));
  }

  // Waits for a message box, records its text and what was on the screen,
  // and answers it with button.
  std::wstring Answer(int button, DWORD timeoutMs = 10000) {
    HWND box = nullptr;
    e2e::WaitFor([&] { return (box = proc.FindTopWindow(L"#32770", &kCaption)) != nullptr; }, timeoutMs);
    if (!box) return L"<no message box>";
    std::wstring text = e2e::Text(GetDlgItem(box, 0xFFFF));
    HWND wait = proc.FindTopWindow(WQ_FORM3_CLASS);
    waitBoxUp = wait && IsWindowVisible(wait);
    mainUp = IsWindowVisible(form) != FALSE;
    PostMessageW(box, WM_COMMAND, button, 0);
    e2e::WaitFor([&] { return !IsWindow(box); });
    return text;
  }
  void ExpectTitlesOff() {
    EXPECT_EQ(e2e::Text(Ctl(kIdCommand7)), L"Use CDDB");
    EXPECT_EQ(e2e::ListBoxItems(Ctl(kIdList1)), plain);
    EXPECT_EQ(proc.FindTopWindow(WQ_FORM3_CLASS), nullptr);
    EXPECT_TRUE(IsWindowVisible(form));
  }
  // Use CDDB through to the question.
  void LookUp() {
    e2e::Click(Ctl(kIdCommand7));
    EXPECT_EQ(Answer(IDOK), kConnect);
    EXPECT_TRUE(mainUp);
  }

  std::vector<std::wstring> plain;
  bool waitBoxUp = false, mainUp = false;
};

TEST_F(UseCddb, YesShowsTitlesAndTheSessionNamesAndTagsTheFiles) {
  Start(L"");
  LookUp();
  EXPECT_EQ(Answer(IDYES), kQuestion);
  EXPECT_TRUE(waitBoxUp) << "the question comes over the wait box";
  EXPECT_FALSE(mainUp) << "with the main window hidden";
  EXPECT_EQ(Answer(IDOK), kRetrieved);
  EXPECT_EQ(e2e::ListBoxItems(Ctl(kIdList1)),
            (std::vector<std::wstring>{L"01 - Intro", L"02 - AC/DC", L"03 - " + kTitle3}));
  EXPECT_EQ(e2e::Text(Ctl(kIdCommand7)), L"Dont use CDDB");

  // Output folder: C:\wq-cddb-e2e, opened in Dir1.
  ASSERT_NO_FATAL_FAILURE(OpenOutputFolder(kOutName));
  for (int i : {0, 1, 2}) ASSERT_TRUE(e2e::ClickListItem(Ctl(kIdList1), i));
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ListBoxSelection(Ctl(kIdList1)).size() == 3; }));
  e2e::Click(Ctl(kIdCommand1));
  HWND form2 = proc.WaitTopWindow(WQ_FORM2_CLASS, 15000);
  ASSERT_NE(form2, nullptr);
  ASSERT_TRUE(
      e2e::WaitFor([&] { return e2e::Text(GetDlgItem(form2, kIdForm2Command1)) == L"DONE"; }, 120000));

  // Files named after the titles, kept inside the folder; WAV names kept
  // the prefix and are gone.
  const std::wstring names[] = {L"01 - Intro.mp3", L"02 - AC_DC.mp3", L"03 - .._.._Caf\u00e9 \u2605.mp3"};
  for (const std::wstring& n : names) EXPECT_TRUE(Exists(kOut + L"\\" + n)) << Narrow(n);
  for (const wchar_t* n : {L"Track01.mp3", L"Track01.wav", L"Track02.wav", L"Track03.wav"})
    EXPECT_FALSE(Exists(kOut + L"\\" + n)) << Narrow(n);
  EXPECT_FALSE(Exists(L"C:\\Caf\u00e9 \u2605.mp3"));
  std::ofstream expect(Narrow(kOut + L"\\expect.txt"), std::ios::binary);
  const std::wstring titles[] = {L"Intro", L"AC/DC", kTitle3};
  for (int i = 0; i < 3; ++i)
    expect << Narrow(names[i]) << '\t' << Narrow(titles[i]) << '\t' << (i + 1) << "/3\n";
}

TEST_F(UseCddb, NoLeavesEverythingAsItWas) {
  Start(L"");
  LookUp();
  EXPECT_EQ(Answer(IDNO), kQuestion);
  EXPECT_EQ(Answer(IDOK), kNo);
  ExpectTitlesOff();
}

TEST_F(UseCddb, SwitchingOffRebuildsThePlainList) {
  Start(L"");
  LookUp();
  EXPECT_EQ(Answer(IDYES), kQuestion);
  EXPECT_EQ(Answer(IDOK), kRetrieved);
  ASSERT_EQ(e2e::Text(Ctl(kIdCommand7)), L"Dont use CDDB");
  e2e::Click(Ctl(kIdCommand7));
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::Text(Ctl(kIdCommand7)) == L"Use CDDB"; }));
  ExpectTitlesOff();
}

TEST_F(UseCddb, AServerErrorEndsWithAMessage) {
  Start(L"/cddb500");
  LookUp();
  std::wstring m = Answer(IDOK);
  EXPECT_EQ(m.rfind(L"The CD could not be identified through CDDB.", 0), 0u) << Narrow(m);
  EXPECT_TRUE(mainUp);
  ExpectTitlesOff();
}

TEST_F(UseCddb, AServerThatNeverAnswersTimesOutWithAMessage) {
  Start(L"/hang");
  e2e::Click(Ctl(kIdCommand7));
  EXPECT_EQ(Answer(IDOK), kConnect);
  // While the lookup waits, the wait box is up and answers messages.
  HWND wait = nullptr;
  ASSERT_TRUE(e2e::WaitFor([&] { return (wait = proc.FindTopWindow(WQ_FORM3_CLASS)) != nullptr; }));
  Sleep(2000);
  DWORD_PTR r = 0;
  EXPECT_NE(SendMessageTimeoutW(wait, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &r), 0)
      << "the program hangs during the lookup";
  EXPECT_EQ(e2e::Text(GetDlgItem(wait, kIdForm3Label1)),
            L"Connecting To CDDB, Please wait, this can take some time.");
  EXPECT_FALSE(IsWindowVisible(form));
  std::wstring m = Answer(IDOK, 60000);
  EXPECT_EQ(m.rfind(L"The CD could not be identified through CDDB.", 0), 0u) << Narrow(m);
  EXPECT_NE(m.find(L"did not answer"), std::wstring::npos) << Narrow(m);
  ExpectTitlesOff();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
