// wavequill under Wine, driven from outside through its own windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "ripper/ui/form1_ids.h"
#include "tests/e2e/harness/e2e_harness.h"
#include "wq_version.h"

namespace {

const std::wstring kCaption = L"wavequill";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// One disc image for the whole run: 5 s, 12.5 s and 3 min.
class DiscImage : public ::testing::Environment {
 public:
  static std::wstring cue;
  void SetUp() override {
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    std::wstring dir = std::wstring(tmp) + L"wq-ui-e2e";
    CreateDirectoryW(dir.c_str(), nullptr);
    cue = dir + L"\\three.cue";
    std::wstring cmd = L"\"" + BinDir() + L"\\discimage.exe\" --out \"" + cue + L"\" --tracks 5,12.5,180";
    ASSERT_EQ(RunToEnd(cmd), 0) << Narrow(cmd);
  }
};
std::wstring DiscImage::cue;

class Wavequill : public ::testing::Test {
 protected:
  void StartWith(const std::wstring& args) { ASSERT_TRUE(proc.Start(BinDir() + L"\\wavequill.exe", args)); }
  void StartMain() {
    StartWith(L"--disc-image \"" + DiscImage::cue + L"\"");
    form = proc.WaitTopWindow(WQ_FORM1_CLASS);
    ASSERT_NE(form, nullptr) << "no main window";
  }
  HWND Ctl(int id) { return GetDlgItem(form, id); }
  int ImageDriveIndex() {
    std::vector<std::wstring> drives = e2e::ListBoxItems(Ctl(kIdList2));
    for (size_t i = 0; i < drives.size(); ++i)
      if (drives[i].find(L"three.cue") != std::wstring::npos) return int(i);
    return -1;
  }
  bool Quit() {
    e2e::Click(Ctl(kIdCommand6));
    DWORD code = 1;
    return proc.WaitExit(10000, &code) && code == 0;
  }
  void TearDown() override {
    std::vector<e2e::MessageBoxSeen> left = e2e::DismissMessageBoxes(proc, kCaption);
    for (auto& m : left) ADD_FAILURE() << "unexpected message: " << Narrow(m.text);
  }

  e2e::Process proc;
  HWND form = nullptr;
};

TEST_F(Wavequill, StartsWithCaptionPromptAndDriveList) {
  StartMain();
  wchar_t expected[64];
  swprintf(expected, 64, L"wavequill v%d.%02d", WQ_VERSION_MAJOR, WQ_VERSION_MINOR);
  EXPECT_EQ(e2e::Text(form), expected);
  EXPECT_EQ(e2e::Text(Ctl(kIdText1)), L"Please select your audio CD drive from above.");
  EXPECT_EQ(e2e::Text(Ctl(kIdText2)), L"Track");
  EXPECT_EQ(e2e::Text(Ctl(kIdCommand7)), L"Use CDDB");
  int image = ImageDriveIndex();
  ASSERT_GE(image, 0);
  EXPECT_EQ(SendMessageW(Ctl(kIdList2), LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0), 0);
  // The output folder starts at c:.
  std::wstring drive = e2e::Text(Ctl(kIdDrive1));
  EXPECT_EQ(drive.substr(0, 2), L"c:") << Narrow(drive);
  std::vector<std::wstring> dirs = e2e::ListBoxItems(Ctl(kIdDir1));
  ASSERT_FALSE(dirs.empty());
  EXPECT_EQ(dirs[0], L"c:\\");
  EXPECT_TRUE(Quit());
}

TEST_F(Wavequill, DriveDoubleClickListsEveryTrack) {
  StartMain();
  HWND list2 = Ctl(kIdList2);
  int image = ImageDriveIndex();
  ASSERT_GE(image, 0);
  std::wstring description = e2e::ListBoxItems(list2)[size_t(image)];
  ASSERT_TRUE(e2e::DoubleClickListItem(list2, image));
  HWND list1 = Ctl(kIdList1);
  ASSERT_TRUE(e2e::WaitFor([&] { return SendMessageW(list1, LB_GETCOUNT, 0, 0) == 3; }));
  std::vector<std::wstring> tracks = e2e::ListBoxItems(list1);
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(tracks[0], L"Track 01    00,05    00,8  MB");
  EXPECT_EQ(tracks[1], L"Track 02    00,12    02,0  MB");
  EXPECT_EQ(tracks[2], L"Track 03    03,00    30,3  MB");
  EXPECT_EQ(e2e::Text(Ctl(kIdText1)), description);
  EXPECT_NE(description.find(L"three.cue"), std::wstring::npos);

  // Each click toggles one entry; a reload drops the selection.
  ASSERT_TRUE(e2e::ClickListItem(list1, 0));
  ASSERT_TRUE(e2e::ClickListItem(list1, 2));
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ListBoxSelection(list1).size() == 2; }));
  EXPECT_EQ(e2e::ListBoxSelection(list1), (std::vector<int>{0, 2}));
  ASSERT_TRUE(e2e::ClickListItem(list1, 0));
  ASSERT_TRUE(e2e::WaitFor([&] { return e2e::ListBoxSelection(list1).size() == 1; }));
  EXPECT_EQ(e2e::ListBoxSelection(list1), (std::vector<int>{2}));
  EXPECT_TRUE(Quit());
}

TEST_F(Wavequill, BitRateMenuKeepsExactlyOneCheck) {
  StartMain();
  e2e::MenuProbe probe;
  ASSERT_TRUE(probe.Attach(form)) << Narrow(probe.error());
  std::vector<e2e::MenuItem> bar;
  ASSERT_TRUE(probe.Items(-1, bar)) << Narrow(probe.error());
  // "Options" follows "Bitrate".
  ASSERT_EQ(bar.size(), 2u);
  EXPECT_EQ(bar[0].text, L"Bitrate");
  EXPECT_EQ(bar[1].text, L"Options");

  const wchar_t* captions[] = {L"256 kbit", L"224 kbit", L"192 kbit", L"160 kbit", L"128 kbit",
                               L"112 kbit", L"096 kbit", L"080 kbit", L"064 kbit", L"056 kbit",
                               L"048 kbit", L"040 kbit", L"032 kbit"};
  auto checkedOnly = [&](const wchar_t* want) {
    std::vector<e2e::MenuItem> items;
    if (!probe.Items(0, items)) return std::string("probe: ") + Narrow(probe.error());
    if (items.size() != 13) return "items: " + std::to_string(items.size());
    std::string problems;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].text != captions[i]) problems += " text " + Narrow(items[i].text);
      if (items[i].id != BitRateMenuId(int(i) + 2)) problems += " id " + std::to_string(items[i].id);
      if (items[i].Checked() != (items[i].text == want)) problems += " check " + Narrow(items[i].text);
    }
    return problems;
  };
  EXPECT_EQ(checkedOnly(L"128 kbit"), "");
  e2e::PostCommand(form, BitRateMenuId(4));
  EXPECT_EQ(checkedOnly(L"192 kbit"), "");
  e2e::PostCommand(form, BitRateMenuId(14));
  EXPECT_EQ(checkedOnly(L"032 kbit"), "");
  e2e::PostCommand(form, BitRateMenuId(14));  // the checked item stays checked
  EXPECT_EQ(checkedOnly(L"032 kbit"), "");
  EXPECT_TRUE(Quit());
}

TEST_F(Wavequill, DoubleClickBesideTheDrivesDoesNothing) {
  StartMain();
  HWND list2 = Ctl(kIdList2);
  int n = int(SendMessageW(list2, LB_GETCOUNT, 0, 0));
  // Below the last entry: no entry gets selected.
  int h = int(SendMessageW(list2, LB_GETITEMHEIGHT, 0, 0));
  LPARAM pt = MAKELPARAM(10, n * h + h / 2);
  PostMessageW(list2, WM_LBUTTONDBLCLK, MK_LBUTTON, pt);
  PostMessageW(list2, WM_LBUTTONUP, 0, pt);
  e2e::WaitFor([] { return false; }, 500);
  EXPECT_EQ(proc.FindTopWindow(L"#32770", &kCaption), nullptr);
  EXPECT_EQ(SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(e2e::Text(Ctl(kIdText1)), L"Please select your audio CD drive from above.");
  EXPECT_TRUE(Quit());
}

TEST_F(Wavequill, MissingDiscImageIsReportedAndWindowStaysUsable) {
  StartWith(L"--disc-image C:\\no\\such.cue --disc-image \"" + DiscImage::cue + L"\"");
  // A drive without a readable disc is no reason for a message at start.
  form = proc.WaitTopWindow(WQ_FORM1_CLASS);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(proc.FindTopWindow(L"#32770", &kCaption), nullptr);
  std::wstring text;
  std::vector<std::wstring> drives = e2e::ListBoxItems(Ctl(kIdList2));
  int bad = -1;
  for (size_t i = 0; i < drives.size(); ++i)
    if (drives[i].find(L"such.cue") != std::wstring::npos) bad = int(i);
  ASSERT_GE(bad, 0);
  ASSERT_TRUE(e2e::DoubleClickListItem(Ctl(kIdList2), bad));
  ASSERT_TRUE(e2e::WaitMessageBox(proc, kCaption, &text));
  EXPECT_NE(text.find(L"The disc in Disc image such.cue"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"cannot be read"), std::wstring::npos) << Narrow(text);
  EXPECT_EQ(SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0), 0);
  // Still usable: the good image lists its tracks.
  int good = ImageDriveIndex();
  ASSERT_GE(good, 0);
  ASSERT_TRUE(e2e::DoubleClickListItem(Ctl(kIdList2), good));
  EXPECT_TRUE(e2e::WaitFor([&] { return SendMessageW(Ctl(kIdList1), LB_GETCOUNT, 0, 0) == 3; }));
  EXPECT_TRUE(Quit());
}

TEST_F(Wavequill, CommandLineHelpAndErrorsShowAMessage) {
  struct Case {
    const wchar_t* args;
    const wchar_t* mention;
    DWORD exitCode;
  } cases[] = {
      {L"--help", L"--disc-image PATH", 0},
      {L"--bogus", L"Unknown option: --bogus", 2},
      {L"--disc-image", L"needs a value", 2},
  };
  for (const Case& c : cases) {
    e2e::Process p;
    ASSERT_TRUE(p.Start(BinDir() + L"\\wavequill.exe", c.args));
    std::wstring text;
    ASSERT_TRUE(e2e::WaitMessageBox(p, kCaption, &text)) << Narrow(c.args);
    EXPECT_NE(text.find(c.mention), std::wstring::npos) << Narrow(text);
    DWORD code = 99;
    EXPECT_TRUE(p.WaitExit(10000, &code));
    EXPECT_EQ(code, c.exitCode) << Narrow(c.args);
    EXPECT_EQ(p.FindTopWindow(WQ_FORM1_CLASS), nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new DiscImage);
  return RUN_ALL_TESTS();
}
