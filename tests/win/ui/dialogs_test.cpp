// Make Directory and About, shown from the real main window's buttons.
#include <gtest/gtest.h>

#include <memory>

#include "ripper/engine/user_message.h"
#include "ripper/engine/window_basics.h"
#include "ripper/ui/about_box.h"
#include "ripper/ui/cddbui_ids.h"
#include "ripper/ui/code_dialog.h"
#include "ripper/ui/folder_list.h"
#include "ripper/ui/form1.h"
#include "ripper/ui/form1_ids.h"
#include "ripper/ui/form4.h"
#include "tests/win/common/test_files.h"
#include "tests/win/ui/scripted_parts.h"
#include "wq_version.h"

namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

bool IsFolder(const std::wstring& p) {
  DWORD a = GetFileAttributesW(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Unique(const wchar_t* stem) {
  return std::wstring(stem) + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount() % 100000);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CaptureMessages(messages);
    Form1Components c;
    c.reader = std::make_unique<ScriptedReader>();
    c.encoder = std::make_unique<IdleEncoder>();
    c.cddb = std::make_unique<ScriptedCddb>();
    form = std::make_unique<Form1>(std::move(c));
    ASSERT_TRUE(form->Load());
    form->Show();
  }
  void TearDown() override {
    form.reset();
    DropQuit();
    SetUserMessageHook(nullptr);
    for (auto it = cleanup.rbegin(); it != cleanup.rend(); ++it) RemoveDirectoryW(it->c_str());
  }
  void Press(HWND button) { ClickButton(button); }
  std::vector<std::wstring> Dir1Entries() { return ListItems(form->Control(kIdDir1)); }
  bool ListsName(const std::wstring& name) {
    for (const std::wstring& e : Dir1Entries())
      if (e.find(name) != std::wstring::npos) return true;
    return false;
  }
  // Opens Make Dir from the main window and types name, then presses button.
  bool MakeDir(const std::wstring& name, int button, std::wstring* textAfter = nullptr) {
    return WithModal([&] { Press(form->Control(kIdCommand3)); }, Form4Window,
                     [&](HWND d) {
                       EXPECT_EQ(WindowText(d), L"Make Directory");
                       EXPECT_EQ(WindowText(GetDlgItem(d, kIdForm4Text1)), L"");
                       SetWindowTextW(GetDlgItem(d, kIdForm4Text1), name.c_str());
                       Press(GetDlgItem(d, button));
                       if (textAfter) {
                         *textAfter = Form4Window() ? WindowText(GetDlgItem(d, kIdForm4Text1)) : L"<closed>";
                         Press(GetDlgItem(d, kIdForm4Command2));
                       }
                     },
                     Form4Unload);
  }

  std::unique_ptr<Form1> form;
  std::vector<std::wstring> messages;
  std::vector<std::wstring> cleanup;
};

TEST_F(MainWindowTest, MakeDirUnderTheDriveRootAndUnderASubfolder) {
  ASSERT_EQ(form->OutputFolder().size(), 3u) << Narrow(form->OutputFolder());
  const std::wstring root = form->OutputFolder();
  const std::wstring name = Unique(L"music");
  ASSERT_TRUE(MakeDir(name, kIdForm4Command1));
  cleanup.push_back(root + name);
  EXPECT_TRUE(IsFolder(root + name)) << "no backslash is added after " << Narrow(root);
  EXPECT_EQ(Form4Window(), nullptr);
  EXPECT_EQ(form->OutputFolder(), root);  // the output folder stays the parent
  EXPECT_TRUE(ListsName(name));
  EXPECT_TRUE(messages.empty());

  std::wstring err;
  ASSERT_TRUE(folder_list::SetPath(form->Control(kIdDir1), root + name, &err)) << Narrow(err);
  ASSERT_TRUE(MakeDir(L"inner", kIdForm4Command1));
  cleanup.push_back(root + name + L"\\inner");
  EXPECT_TRUE(IsFolder(root + name + L"\\inner"));
  EXPECT_EQ(form->OutputFolder(), root + name);
  EXPECT_TRUE(ListsName(L"inner"));
}

TEST_F(MainWindowTest, EnterInTheNameMakesTheFolder) {
  const std::wstring root = form->OutputFolder();
  const std::wstring name = Unique(L"entered");
  ASSERT_TRUE(WithModal([&] { Press(form->Control(kIdCommand3)); }, Form4Window,
                        [&](HWND d) {
                          HWND text = GetDlgItem(d, kIdForm4Text1);
                          SetWindowTextW(text, name.c_str());
                          SetFocus(text);
                          PostMessageW(text, WM_KEYDOWN, VK_RETURN, 1);
                          PostMessageW(text, WM_KEYUP, VK_RETURN, 0xC0000001);
                        },
                        Form4Unload))
      << "Enter left the dialog open";
  cleanup.push_back(root + name);
  EXPECT_TRUE(IsFolder(root + name));
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, AbortCreatesNothing) {
  const std::wstring root = form->OutputFolder();
  const std::wstring name = Unique(L"aborted");
  ASSERT_TRUE(MakeDir(name, kIdForm4Command2));
  EXPECT_FALSE(Exists(root + name));
  EXPECT_EQ(form->OutputFolder(), root);
  EXPECT_EQ(Form4Window(), nullptr);
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, AFailingNameIsReportedAndTheDialogStaysOpen) {
  const std::wstring root = form->OutputFolder();
  for (const std::wstring& bad : {std::wstring(L"a<b>c"), std::wstring(L"")}) {
    messages.clear();
    std::wstring after;
    ASSERT_TRUE(MakeDir(bad, kIdForm4Command1, &after));
    EXPECT_EQ(after, bad) << "the dialog closed or lost the text";
    ASSERT_EQ(messages.size(), 1u);
    if (!bad.empty()) {
      EXPECT_NE(messages[0].find(root + bad), std::wstring::npos) << Narrow(messages[0]);
    }
  }
  // An existing folder cannot be made again.
  const std::wstring name = Unique(L"twice");
  ASSERT_TRUE(CreateDirectoryW((root + name).c_str(), nullptr));
  cleanup.push_back(root + name);
  messages.clear();
  std::wstring after;
  ASSERT_TRUE(MakeDir(name, kIdForm4Command1, &after));
  EXPECT_EQ(after, name);
  EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MainWindowTest, UnloadingTheMainWindowUnloadsTheOpenDialogs) {
  for (int button : {kIdCommand3, kIdCommand2}) {
    if (!form->Hwnd()) {
      TearDown();
      SetUp();
    }
    HWND main = form->Hwnd();
    ASSERT_TRUE(WithModal([&] { Press(form->Control(button)); },
                          [] { return Form4Window() ? Form4Window() : AboutBoxWindow(); },
                          [&](HWND) { SendMessageW(main, WM_CLOSE, 0, 0); },
                          [] {
                            Form4Unload();
                            AboutBoxUnload();
                          }))
        << "button " << button;
    EXPECT_EQ(Form4Window(), nullptr);
    EXPECT_EQ(AboutBoxWindow(), nullptr);
    EXPECT_FALSE(IsWindow(main));
  }
}

// ---- About -------------------------------------------------------------------

const wchar_t kMsinfoKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t kLocationKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";

void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

class AboutTest : public MainWindowTest {
 protected:
  void SetUp() override {
    // The test bed is ours: the keys exist only while a test sets them.
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMsinfoKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLocationKey);
    MainWindowTest::SetUp();
  }
  void TearDown() override {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMsinfoKey);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLocationKey);
    MainWindowTest::TearDown();
  }
  // Presses System Info in the open box, then OK.
  bool PressSysInfo() {
    return WithModal([&] { Press(form->Control(kIdCommand2)); }, AboutBoxWindow,
                     [&](HWND d) {
                       Press(GetDlgItem(d, kIdAboutSysInfo));
                       EXPECT_NE(AboutBoxWindow(), nullptr) << "the box stays open";
                       Press(GetDlgItem(d, IDOK));
                     },
                     AboutBoxUnload);
  }
  static bool WaitForFile(const std::wstring& p) {
    for (int i = 0; i < 100; ++i, Sleep(50))
      if (Exists(p)) return true;
    return false;
  }
  const std::wstring unavailable = L"System Information Is Unavailable At This Time";
};

TEST_F(AboutTest, ShowsCaptionVersionTextsAndNoPlaceholderMailLink) {
  std::wstring caption, label1;
  bool contactShown = true;
  ASSERT_TRUE(WithModal([&] { Press(form->Control(kIdCommand2)); }, AboutBoxWindow,
                        [&](HWND d) {
                          caption = WindowText(d);
                          label1 = WindowText(GetDlgItem(d, kIdAboutLabel1));
                          contactShown = GetDlgItem(d, kIdAboutLabel2) || GetDlgItem(d, kIdAboutLabel4) ||
                                         GetDlgItem(d, kIdAboutEmail);
                          EXPECT_EQ(WindowText(GetDlgItem(d, kIdAboutSysInfo)), L"&System Info...");
                          EXPECT_EQ(GetNextDlgTabItem(d, GetDlgItem(d, IDOK), FALSE),
                                    GetDlgItem(d, kIdAboutSysInfo));
                          Press(GetDlgItem(d, IDOK));
                        },
                        AboutBoxUnload));
  EXPECT_EQ(caption, L"About wavequill");
  wchar_t head[64];
  swprintf(head, 64, L"wavequill v%d.%02d\r\r", WQ_VERSION_MAJOR, WQ_VERSION_MINOR);
  EXPECT_EQ(label1.rfind(head, 0), 0u) << Narrow(label1);
  EXPECT_GT(label1.size(), wcslen(head));
  EXPECT_FALSE(contactShown);
  EXPECT_EQ(AboutBoxWindow(), nullptr);
}

TEST_F(AboutTest, EnterAndEscBothCloseTheBox) {
  for (WPARAM key : {WPARAM(VK_RETURN), WPARAM(VK_ESCAPE)}) {
    EXPECT_TRUE(WithModal([&] { Press(form->Control(kIdCommand2)); }, AboutBoxWindow,
                          [&](HWND d) {
                            HWND focus = GetFocus();
                            EXPECT_EQ(focus, GetDlgItem(d, IDOK));
                            PostMessageW(focus, WM_KEYDOWN, key, 0);
                          },
                          AboutBoxUnload))
        << "key " << key;
    EXPECT_EQ(AboutBoxWindow(), nullptr);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(AboutTest, WithoutTheKeysSystemInformationIsUnavailable) {
  ASSERT_TRUE(PressSysInfo());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], unavailable);
}

TEST_F(AboutTest, ThePathValueIsStartedAndAWrongPathIsReported) {
  const std::wstring stub = BinDir() + L"\\cddbui_sysinfo_stub.exe";
  DeleteFileW((stub + L".ran").c_str());
  SetString(kMsinfoKey, L"PATH", stub);
  ASSERT_TRUE(PressSysInfo());
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(WaitForFile(stub + L".ran")) << "the program was not started";
  DeleteFileW((stub + L".ran").c_str());

  SetString(kMsinfoKey, L"PATH", BinDir() + L"\\no-such-program.exe");
  ASSERT_TRUE(PressSysInfo());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], unavailable);
}

TEST_F(AboutTest, TheLocationKeyNeedsMsinfo32InItsFolder) {
  wchar_t tmp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring dir = std::wstring(tmp) + Unique(L"msinfo");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  cleanup.push_back(dir);
  SetString(kLocationKey, L"MSINFO", dir);
  ASSERT_TRUE(PressSysInfo());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], unavailable);

  messages.clear();
  const std::wstring exe = dir + L"\\MSINFO32.EXE";
  ASSERT_TRUE(CopyFileW((BinDir() + L"\\cddbui_sysinfo_stub.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(PressSysInfo());
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(WaitForFile(exe + L".ran"));
  Sleep(200);  // let the stub end before its file goes
  DeleteFileW((exe + L".ran").c_str());
  DeleteFileW(exe.c_str());
}

TEST(GetKeyValue, ReadsStringsAndNumbersForReadingOnly) {
  const wchar_t key[] = L"Software\\wavequill-tests\\GetKeyValue";
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  const wchar_t text[] = L"C:\\x\\msinfo32.exe";
  RegSetValueExW(k, L"S", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  DWORD n = 4294967295u;
  RegSetValueExW(k, L"D", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
  RegSetValueExW(k, L"B", 0, REG_BINARY, reinterpret_cast<const BYTE*>("ab"), 2);
  RegCloseKey(k);

  std::wstring v = L"old";
  EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, key, L"S", v));
  EXPECT_EQ(v, text);
  EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, key, L"D", v));
  EXPECT_EQ(v, L"4294967295");
  v = L"kept";
  EXPECT_TRUE(GetKeyValue(HKEY_CURRENT_USER, key, L"B", v));
  EXPECT_EQ(v, L"kept");
  EXPECT_FALSE(GetKeyValue(HKEY_CURRENT_USER, key, L"missing", v));
  EXPECT_EQ(v, L"");
  v = L"x";
  EXPECT_FALSE(GetKeyValue(HKEY_CURRENT_USER, L"Software\\wavequill-tests\\none", L"S", v));
  EXPECT_EQ(v, L"");
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\wavequill-tests");
}

}  // namespace
