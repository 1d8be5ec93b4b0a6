// Registration and unregistration by title, by path of real files, and of
// 16-bit applications through the companion; saving and switching off.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/win/menulink_mgmt/mgmt_bed.h"

namespace {

std::string SystemNotepad() {
  char dir[MAX_PATH];
  GetSystemDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\notepad.exe";
}

// The table holds one record, with these fields.
void ExpectOnlyRecord(const std::string& module, const std::string& path, const std::string& title,
                      int enabled) {
  std::vector<SlotCopy> slots = Slots();
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0].module, module);
  EXPECT_EQ(slots[0].path, path);
  EXPECT_EQ(slots[0].title, title);
  EXPECT_EQ(slots[0].enabled, enabled);
}

TEST(RegisterByPath, NotepadBecomesAnEnabledNotepadRecordWithTheUpperCasePath) {
  StoreGuard store;
  Gt().registerNewApp(SystemNotepad().c_str());
  ASSERT_NO_FATAL_FAILURE(ExpectOnlyRecord("NOTEPAD.EXE", Upper(SystemNotepad()), "Notepad", 1));
  // Again: the record is found and stays the only one.
  Gt().registerNewApp(SystemNotepad().c_str());
  EXPECT_EQ(Slots().size(), 1u);
}

TEST(RegisterByPath, WriteRegistersWordpadUnderTheReplacedPath) {
  StoreGuard store;
  std::string dir = CaseDir();
  ASSERT_TRUE(CopyNotepad(dir + "write.exe"));
  Gt().registerNewApp((dir + "write.exe").c_str());
  ExpectOnlyRecord("WORDPAD.EXE", Upper(dir) + "WORDPAD.EXE", "WordPad", 1);
}

TEST(RegisterByPath, Lotus123NeedsMain123wBesideIt) {
  StoreGuard store;
  std::string dir = CaseDir();
  ASSERT_TRUE(CopyNotepad(dir + "123W.EXE"));
  Gt().registerNewApp((dir + "123W.EXE").c_str());
  EXPECT_EQ(Slots().size(), 0u);
  WriteText(dir + "MAIN123W.DLL", "x");
  Gt().registerNewApp((dir + "123W.EXE").c_str());
  ExpectOnlyRecord("MAIN123W.DLL", Upper(dir) + "MAIN123W.DLL", "unknown", 1);
}

TEST(RegisterByPath, NamesThatAreNoExecutableChangeNothing) {
  StoreGuard store;
  std::string dir = CaseDir();
  ASSERT_TRUE(CopyNotepad(dir + "NOTEPAD.EXE.BAK"));
  Gt().registerNewApp((dir + "NOTEPAD.EXE.BAK").c_str());
  Gt().unregisterApp((dir + "NOTEPAD.EXE.BAK").c_str());
  // Longer than the 260-character copy: ignored whole, not cut into
  // another name.
  std::string longPath = dir + std::string(300, 'd') + "\\NOTEPAD.EXE";
  Gt().registerNewApp(longPath.c_str());
  std::string longTitle(400, 'T');
  Gt().registerNewApp(longTitle.c_str());
  Gt().unregisterApp(longTitle.c_str());
  EXPECT_EQ(Slots().size(), 0u);
  EXPECT_EQ(IniValue("Browse", "AddApp"), "");
  EXPECT_EQ(IniValue("Browse", "DeleteApp"), "");
  EXPECT_EQ(store.CapturedIds(), std::vector<std::string>{});
}

TEST(RegisterByPath, LongModuleNamesAreCutToFitTheTable) {
  StoreGuard store;
  std::string dir = CaseDir();
  ASSERT_TRUE(CopyNotepad(dir + "averylongmodulename.exe"));
  Gt().registerNewApp((dir + "averylongmodulename.exe").c_str());
  ASSERT_EQ(Slots().size(), 1u);
  EXPECT_EQ(Slots()[0].module, "AVERYLONGMODULE");
  EXPECT_EQ(Slots()[0].path, Upper(dir) + "AVERYLONGMODULENAME.EXE");
  Gt().unregisterApp((dir + "averylongmodulename.exe").c_str());
  EXPECT_EQ(Slots()[0].enabled, 0);
}

TEST(RegisterByTitle, AKnownTitleIsOnlyEnabledAnUnknownOneAddedDisabled) {
  StoreGuard store;
  AddRecord("EDITOR.EXE", "C:\\E\\EDITOR.EXE", "My Editor", false);
  Gt().registerNewApp("my editor");
  ASSERT_EQ(Slots().size(), 1u);
  EXPECT_EQ(Slots()[0].enabled, 1);
  EXPECT_EQ(Slots()[0].title, "My Editor");

  Gt().registerNewApp("Nobody Knows");
  ASSERT_EQ(Slots().size(), 2u);
  EXPECT_EQ(Slots()[1].module, "NOBODY KNOWS");
  EXPECT_EQ(Slots()[1].path, "unknown");
  EXPECT_EQ(Slots()[1].title, "unknown");
  EXPECT_EQ(Slots()[1].enabled, 0);

  // A path without an extension is a title too.
  Gt().registerNewApp("C:\\TOOLS\\NOTEPAD");
  ASSERT_EQ(Slots().size(), 3u);
  EXPECT_EQ(Slots()[2].module, "C:\\TOOLS\\NOTEPA");
  EXPECT_EQ(Slots()[2].enabled, 0);
}

TEST(Unregister, ByTitleKeepsTheSlotAndLeavesTheRegisteredListing) {
  StoreGuard store;
  AddRecord("ONE.EXE", "", "First App", true);
  AddRecord("TWO.EXE", "", "Second App", true);
  Gt().unregisterApp("First App");
  ASSERT_EQ(Slots().size(), 2u);
  EXPECT_EQ(Slots()[0].module, "ONE.EXE");
  EXPECT_EQ(Slots()[0].enabled, 0);
  EXPECT_EQ(Slots()[1].enabled, 1);
  Listing got = ListModules();
  EXPECT_EQ(got, (Listing{{"Second App", 1}}));
}

TEST(Unregister, ByPathByModuleAndWriteAsWordpad) {
  StoreGuard store;
  std::string dir = CaseDir();
  ASSERT_TRUE(CopyNotepad(dir + "write.exe"));
  Gt().registerNewApp(SystemNotepad().c_str());
  Gt().registerNewApp((dir + "write.exe").c_str());
  ASSERT_EQ(Slots().size(), 2u);
  Gt().unregisterApp((dir + "write.exe").c_str());
  EXPECT_EQ(Slots()[1].enabled, 0);
  // A bare module name goes through the record's path.
  Gt().unregisterApp("notepad.exe");
  EXPECT_EQ(Slots()[0].enabled, 0);
  Gt().registerNewApp("NOTEPAD.EXE");
  EXPECT_EQ(Slots()[0].enabled, 1);
  Gt().unregisterApp(SystemNotepad().c_str());
  EXPECT_EQ(Slots()[0].enabled, 0);
}

TEST(Unregister, AModuleWithoutAKnownFileIsDisabledNotSentToTheCompanion) {
  StoreGuard store;
  AddRecord("WINWORD.EXE", "unknown", "Word", true);
  Gt().unregisterApp("WINWORD.EXE");
  EXPECT_EQ(Slots()[0].enabled, 0);
  EXPECT_EQ(IniValue("Browse", "DeleteApp"), "");
  Gt().registerNewApp("WINWORD.EXE");
  EXPECT_EQ(Slots()[0].enabled, 1);
  EXPECT_EQ(IniValue("Browse", "AddApp"), "");
}

TEST(Win16, FilesThatAreNoImageGoToTheCompanionThroughBrowse) {
  StoreGuard store;
  std::string dir = CaseDir();
  WriteText(dir + "OLDAPP.EXE",
            "MZ this is no PE image at all, just text long enough to have offset 60......");
  WriteText(dir + "AMIPRO.EXE", "short");
  // No companion: the key is written, nothing is sent.
  Gt().registerNewApp((dir + "oldapp.exe").c_str());
  EXPECT_EQ(IniValue("Browse", "AddApp"), "OLDAPP.EXE");
  Gt().registerNewApp((dir + "amipro.exe").c_str());  // AMIPROUI.DLL missing: nothing
  EXPECT_EQ(IniValue("Browse", "AddApp"), "OLDAPP.EXE");

  Companion companion(dir, {});
  ASSERT_TRUE(companion.Start());
  WriteText(dir + "AMIPROUI.DLL", "x");
  Gt().registerNewApp((dir + "amipro.exe").c_str());
  EXPECT_EQ(IniValue("Browse", "AddApp"), "AMIPROUI.DLL");
  Gt().unregisterApp((dir + "amipro.exe").c_str());
  EXPECT_EQ(IniValue("Browse", "DeleteApp"), "AMIPROUI.DLL");
  Gt().unregisterApp((dir + "123W.EXE").c_str());  // no file: still 16-bit
  EXPECT_EQ(IniValue("Browse", "DeleteApp"), "MAIN123W.EXE");
  EXPECT_EQ(Slots().size(), 0u);
  std::string log = companion.LogOnceItHolds("unregister 0x407 -1 DeleteApp=MAIN123W.EXE");
  EXPECT_NE(log.find("register 0x406 -1 AddApp=AMIPROUI.DLL"), std::string::npos) << log;
  EXPECT_NE(log.find("unregister 0x407 -1 DeleteApp=AMIPROUI.DLL"), std::string::npos) << log;
  EXPECT_NE(log.find("unregister 0x407 -1 DeleteApp=MAIN123W.EXE"), std::string::npos) << log;
}

TEST(Win16, CompanionEntriesAreRegisteredByTheirNumber) {
  StoreGuard store;
  std::string dir = CaseDir();
  SetIniValue("Glyphtap_Apps", "App_1", "WORD.EXE,Word 6,0");
  SetIniValue("Glyphtap_Apps", "App_2", "XL.EXE,Excel 5,1");
  Companion companion(dir, {});
  ASSERT_TRUE(companion.Start());
  // Started with /r it rewrites the list from its (empty) file: wait until
  // it has, then put the entries back.
  ASSERT_NE(companion.LogOnceItHolds("apps ").find("apps "), std::string::npos);
  SetIniValue("Glyphtap_Apps", "App_1", "WORD.EXE,Word 6,0");
  SetIniValue("Glyphtap_Apps", "App_2", "XL.EXE,Excel 5,1");
  Gt().registerNewApp("Excel 5 (Win3.x App)");
  Gt().unregisterApp("Word 6 (Win3.x App)");
  Gt().registerNewApp("Nothing (Win3.x App)");
  std::string log = companion.LogOnceItHolds("unregister 0x407 1 DeleteApp=");
  EXPECT_NE(log.find("register 0x406 2 AddApp="), std::string::npos) << log;
  EXPECT_NE(log.find("unregister 0x407 1 DeleteApp="), std::string::npos) << log;
  EXPECT_EQ(log.find("register 0x406 -1"), std::string::npos) << log;
  EXPECT_EQ(Slots().size(), 0u);
}

std::vector<std::string> DirectValues() {
  std::vector<std::string> out;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Korvane Corp\\Lexora9.0\\Direct", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return {"(no key)"};
  for (DWORD i = 0;; ++i) {
    char name[64], data[300];
    DWORD nameLen = sizeof name, size = sizeof data, type;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, (BYTE*)data, &size) != ERROR_SUCCESS) break;
    out.push_back(std::string(name) + "=" + data);
  }
  RegCloseKey(key);
  std::sort(out.begin(), out.end());
  return out;
}

void MakeDirectKey(const char* value) {
  HKEY key;
  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Korvane Corp\\Lexora9.0\\Direct", 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "App_1", 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
  RegCloseKey(key);
}

TEST(Saving, ListUpdateWithoutSaveFreesNotifiesAndWritesNothing) {
  StoreGuard store;
  std::string dir = CaseDir();
  Companion companion(dir, {});
  ASSERT_TRUE(companion.Start());
  MakeDirectKey("OLD.EXE, C:\\OLD.EXE, Old");
  AddRecord("NEW.EXE", "C:\\NEW.EXE", "New", true);
  {
    MenuWindow window("Memo - Mlmgmt Writer", 0);
    EXPECT_EQ(ListModules().size(), 2u);  // registered + this window
  }
  EXPECT_EQ(Gt().listUpdate(0), 0);
  EXPECT_EQ(DirectValues(), std::vector<std::string>{"App_1=OLD.EXE, C:\\OLD.EXE, Old"});
  EXPECT_NE(companion.Log().find("update 0x408"), std::string::npos);
  // The list was freed: the window is gone and nothing is repeated.
  EXPECT_EQ(ListModules(), (Listing{{"New", 1}}));

  EXPECT_EQ(Gt().listUpdate(1), 1);
  EXPECT_EQ(DirectValues(), std::vector<std::string>{"App_1=NEW.EXE, C:\\NEW.EXE, New"});
}

TEST(Saving, ListUpdateReportsZeroWithoutTheKeyAndShutDownSavesByValues) {
  StoreGuard store;
  AddRecord("A.EXE", "C:\\A.EXE", "Alpha", true);
  AddRecord("B.EXE", "C:\\B.EXE", "Beta", false);
  EXPECT_EQ(Gt().listUpdate(1), 0);
  EXPECT_EQ(DirectValues(), std::vector<std::string>{"(no key)"});
  MakeDirectKey("OLD.EXE, , Old");
  EXPECT_NE(Gt().shutDown(), 0);
  EXPECT_EQ(DirectValues(), std::vector<std::string>{"App_1=A.EXE, C:\\A.EXE, Alpha"});
  EXPECT_EQ(Slots().size(), 2u);
}

LRESULT CALLBACK CountCloses(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, GetWindowLongPtrA(hwnd, GWLP_USERDATA) + 1);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(Switching, DisableClosesTheControllerAndTheCompanionEnableTurnsBackOn) {
  StoreGuard store;
  ASSERT_EQ(Internals()->shared->hookedWindowCount, 0);
  ControllerWindow window(CountCloses);
  HWND controller = window.hwnd;
  ASSERT_NE(controller, nullptr);
  std::string dir = CaseDir();
  Companion companion(dir, {});
  ASSERT_TRUE(companion.Start());

  EXPECT_EQ(Gt().disable(), 0);  // the companion's WM_CLOSE answer
  EXPECT_EQ(Internals()->shared->featureDisabled, 1);
  EXPECT_EQ(GetWindowLongPtrA(controller, GWLP_USERDATA), 1);
  EXPECT_TRUE(WaitFor([&] { return !companion.Running(); }));
  EXPECT_NE(companion.Log().find("close"), std::string::npos);

  // Nothing left to close: 0, and the controller is told again.
  EXPECT_EQ(Gt().disable(), 0);
  EXPECT_EQ(GetWindowLongPtrA(controller, GWLP_USERDATA), 2);
  Gt().enable();
  EXPECT_EQ(Internals()->shared->featureDisabled, 0);
}

}  // namespace
