// A whole rip-and-encode session in wavequill under Wine, driven from outside
// through its own windows on generated disc images. run.sh then decodes the
// MP3 files natively and checks their lengths and bit rates.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ripper/engine/form2_ids.h"
#include "ripper/ui/form1_ids.h"
#include "tests/e2e/harness/e2e_harness.h"
#include "tests/e2e/harness/wavequill_test.h"

namespace {

const std::wstring kCaption = L"wavequill";
const std::wstring kOutName = L"wq-session-e2e";
const std::wstring kOut = L"C:\\" + kOutName;

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::wstring Cue(const std::wstring& name) { return kOut + L"-discs\\" + name + L".cue"; }

// Nine short tracks, and one long one to abort while it encodes.
class Discs : public ::testing::Environment {
 public:
  void SetUp() override {
    CreateDirectoryW((kOut + L"-discs").c_str(), nullptr);
    for (auto [name, tracks] : {std::pair{L"nine", L"3,6.5,3,3,4.25,3,3,3,3"}, std::pair{L"long", L"240"}}) {
      std::wstring cmd =
          L"\"" + BinDir() + L"\\discimage.exe\" --out \"" + Cue(name) + L"\" --tracks " + tracks;
      ASSERT_EQ(RunToEnd(cmd), 0) << Narrow(cmd);
    }
    // A fresh output folder; the tests below run in order and share it.
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((kOut + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do DeleteFileW((kOut + L"\\" + fd.cFileName).c_str());
      while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    CreateDirectoryW(kOut.c_str(), nullptr);
  }
};

std::vector<std::string> LogLines() { return e2e::LogLines(kOut + L"\\trackforge.log"); }

long FileSize(const std::wstring& name) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW((kOut + L"\\" + name).c_str(), GetFileExInfoStandard, &d)) return -1;
  return long(d.nFileSizeLow);
}

std::vector<std::string> Undated(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind("Starting Session (", 0) != 0 && l.rfind("Ending Session (", 0) != 0)
      out.push_back(l);
    else
      out.push_back(l.substr(0, l.find('(')) + "(...)");
  return out;
}

class Session : public e2e::WavequillTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(proc.Start(BinDir() + L"\\wavequill.exe",
                           L"--disc-image \"" + Cue(L"nine") + L"\" --disc-image \"" + Cue(L"long") + L"\""));
    form = proc.WaitTopWindow(WQ_FORM1_CLASS);
    ASSERT_NE(form, nullptr);
    ASSERT_NO_FATAL_FAILURE(OpenOutputFolder(kOutName));
  }
  void LoadDisc(const std::wstring& name, int tracks) {
    HWND list2 = Ctl(kIdList2);
    int at = e2e::FindListItem(
        list2, [&](const std::wstring& s) { return s.find(name + L".cue") != std::wstring::npos; });
    ASSERT_GE(at, 0);
    ASSERT_TRUE(e2e::DoubleClickListItem(list2, at));
    ASSERT_TRUE(e2e::WaitFor([&] { return SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0) == tracks; }));
  }
  void Select(std::vector<int> indices) {
    for (int i : indices) ASSERT_TRUE(e2e::ClickListItem(Ctl(kIdList1), i));
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ListBoxSelection(Ctl(kIdList1)) == indices; }));
  }
  // Starts and follows the session until its button reads DONE; returns the
  // status texts seen on the way, in order, without repeats.
  std::vector<std::wstring> StartAndFollow(const std::function<void(const std::wstring&)>& onStatus = {}) {
    e2e::Click(Ctl(kIdCommand1));
    form2 = proc.WaitTopWindow(WQ_FORM2_CLASS, 15000);
    std::vector<std::wstring> seen;
    if (!form2) return seen;
    HWND text1 = GetDlgItem(form2, kIdForm2Text1), button = GetDlgItem(form2, kIdForm2Command1);
    e2e::WaitFor(
        [&] {
          std::wstring s = e2e::Text(text1);
          if (!s.empty() && (seen.empty() || seen.back() != s)) {
            // The first status comes after the main window was hidden, well
            // before the session's end shows it again.
            if (seen.empty()) mainShownDuringSession = IsWindowVisible(form) != FALSE;
            seen.push_back(s);
            if (onStatus) onStatus(s);
          }
          return e2e::Text(button) == L"DONE";
        },
        120000);
    return seen;
  }
  void ExpectDoneBesideMain() {
    ASSERT_NE(form2, nullptr);
    EXPECT_EQ(e2e::Text(GetDlgItem(form2, kIdForm2Command1)), L"DONE");
    EXPECT_EQ(e2e::Text(form2), L"Ripping and Encoding");
    EXPECT_TRUE(IsWindowVisible(form));
    RECT m, f;
    GetWindowRect(form, &m);
    GetWindowRect(form2, &f);
    EXPECT_EQ(f.left, m.right);
    EXPECT_EQ(f.top, m.top);
  }

  HWND form2 = nullptr;
  bool mainShownDuringSession = false;
};

// Subsequence check: status texts can change faster than the driver looks.
bool InOrderWithin(const std::vector<std::wstring>& seen, const std::vector<std::wstring>& all) {
  size_t j = 0;
  for (const auto& s : seen) {
    while (j < all.size() && all[j] != s) ++j;
    if (j == all.size()) return false;
    ++j;
  }
  return true;
}

TEST_F(Session, TracksTwoAndFiveOfNineAt192) {
  e2e::PostCommand(form, BitRateMenuId(4));  // "192 kbit"
  LoadDisc(L"nine", 9);
  Select({1, 4});
  std::vector<std::wstring> status = StartAndFollow();
  ExpectDoneBesideMain();
  EXPECT_FALSE(mainShownDuringSession);
  const std::vector<std::wstring> expectedStatus{
      L"Reading Track 02,   02 Track(s) left", L"Encoding Track 02,   02 Track(s) left",
      L"Reading Track 05,   01 Track(s) left", L"Encoding Track 05,   01 Track(s) left"};
  EXPECT_TRUE(InOrderWithin(status, expectedStatus));
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back(), expectedStatus.back());

  std::vector<std::string> log = LogLines();
  EXPECT_EQ(Undated(log), (std::vector<std::string>{
                              "Starting Session (...)",
                              "Reading Track  02,   02 Track(s) left",
                              "Encoding Track 02,   02 Track(s) left",
                              "Reading Track  05,   01 Track(s) left",
                              "Encoding Track 05,   01 Track(s) left",
                              "Ending Session (...)",
                              "",
                          }));
  std::vector<std::string> list;
  for (const auto& l : e2e::ListBoxItems(GetDlgItem(form2, kIdForm2List1))) list.push_back(Narrow(l));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(list, std::vector<std::string>(log.begin(), log.end() - 1));
  EXPECT_GT(FileSize(L"Track02.mp3"), 0);
  EXPECT_GT(FileSize(L"Track05.mp3"), 0);
  EXPECT_EQ(FileSize(L"Track02.wav"), -1);
  EXPECT_EQ(FileSize(L"Track05.wav"), -1);
  // For run.sh: file, seconds, kbit/s.
  std::ofstream(Narrow(kOut + L"\\expect.txt")) << "Track02.mp3 6.5 192\nTrack05.mp3 4.25 192\n";
}

TEST_F(Session, AbortWhileEncodingKeepsTheWavAndAppendsASecondBlock) {
  LoadDisc(L"long", 1);
  Select({0});
  std::wstring message;
  bool clicked = false;
  StartAndFollow([&](const std::wstring& s) {
    if (clicked || s.rfind(L"Encoding Track 01", 0) != 0) return;
    clicked = true;
    e2e::Click(GetDlgItem(form2, kIdForm2Command1));
    EXPECT_TRUE(e2e::WaitMessageBox(proc, kCaption, &message, 20000));
  });
  ASSERT_TRUE(clicked);
  EXPECT_EQ(message, L"Ripping and Encoding Aborted");
  ExpectDoneBesideMain();
  std::vector<std::string> log = Undated(LogLines());
  ASSERT_EQ(log.size(), 13u);
  EXPECT_EQ(std::vector<std::string>(log.begin() + 7, log.end()),
            (std::vector<std::string>{"Starting Session (...)", "Reading Track  01,   01 Track(s) left",
                                      "Encoding Track 01,   01 Track(s) left", "Encoding Aborted",
                                      "Ending Session (...)", ""}));
  EXPECT_GT(FileSize(L"Track01.wav"), 240L * 176400);
  EXPECT_EQ(FileSize(L"Track01.mp3"), -1);
  EXPECT_EQ(FileSize(L"Track01.mp3.wqpart"), -1);
  // DONE closes the progress window.
  e2e::Click(GetDlgItem(form2, kIdForm2Command1));
  EXPECT_TRUE(e2e::WaitFor([&] { return !IsWindow(form2); }));
}

// The old Track02.mp3 of the first test is open in a player that shares
// nothing: track 2's MP3 cannot be put in place. Its WAV stays and the log
// says why; tracks 1 and 3 are ripped (run.sh decodes them).
TEST_F(Session, TrackThatCannotBeWrittenKeepsItsWavAndTheOthersAreRipped) {
  ASSERT_GT(FileSize(L"Track02.mp3"), 0);
  HANDLE player =
      CreateFileW((kOut + L"\\Track02.mp3").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(player, INVALID_HANDLE_VALUE);
  LoadDisc(L"nine", 9);
  Select({0, 1, 2});
  StartAndFollow();
  CloseHandle(player);
  ExpectDoneBesideMain();
  std::vector<std::string> log = Undated(LogLines());
  ASSERT_GE(log.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 10, log.end()),
            (std::vector<std::string>{"Starting Session (...)", "Reading Track  01,   03 Track(s) left",
                                      "Encoding Track 01,   03 Track(s) left",
                                      "Reading Track  02,   02 Track(s) left",
                                      "Encoding Track 02,   02 Track(s) left",
                                      "Error, no MP3 file for Track 02 (can not replace the old MP3 file: it "
                                      "is open in another program or "
                                      "protected) WAV file kept",
                                      "Reading Track  03,   01 Track(s) left",
                                      "Encoding Track 03,   01 Track(s) left", "Ending Session (...)", ""}));
  EXPECT_EQ(FileSize(L"Track02.wav"), 44 + 488L * 2352);  // 6.5 s: 488 frames
  EXPECT_EQ(FileSize(L"Track01.wav"), -1);
  EXPECT_EQ(FileSize(L"Track03.wav"), -1);
  EXPECT_EQ(FileSize(L"Track02.mp3.wqpart"), -1);
  std::ofstream(Narrow(kOut + L"\\expect.txt"), std::ios::app) << "Track01.mp3 3 128\nTrack03.mp3 3 128\n";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new Discs);
  return RUN_ALL_TESTS();
}
