// GTGetModules in the test process, which owns windows with menus in the
// library's languages (another process's menus cannot be read here), and
// in copies of this executable run under particular names.

#include <gtest/gtest.h>

#include "tests/win/menulink_mgmt/mgmt_bed.h"
#include "common/proc_address.h"

namespace {

const std::string kSelf = "mlmgmt_test.exe";

Listing Entries(std::initializer_list<std::pair<const char*, int>> list) {
  Listing out;
  for (auto& p : list) out.push_back({p.first, p.second});
  return out;
}

struct WindowCase {
  const char* name;
  int language;
  MenuKind kind;
  bool listed;
};

class WindowKindTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowKindTest, OnlyFileEditPasteInOneLanguageQualifies) {
  const WindowCase& c = GetParam();
  StoreGuard store;
  Internals()->state[0]->menuLanguage = 3;  // a value no case sets
  Listing got;
  {
    MenuWindow window("Report.txt - Mlmgmt Writer", c.language, c.kind);
    ASSERT_NE(window.hwnd(), nullptr);
    got = ListModules();
  }
  if (c.listed) {
    EXPECT_EQ(got, Entries({{"Report.txt", 0}}));
    EXPECT_EQ(Internals()->state[0]->menuLanguage, c.language);
    int slot = FindSlot(kSelf);
    ASSERT_GE(slot, 0);
    SlotCopy s = Slots()[slot];
    EXPECT_EQ(s.title, "Report.txt");
    EXPECT_EQ(s.enabled, 0);
    // Found through Toolhelp32: Wine has no process performance data.
    EXPECT_EQ(Upper(s.path), Upper(ExePath()));
  } else {
    EXPECT_EQ(got, Listing{});
    EXPECT_EQ(Slots().size(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Menus, WindowKindTest,
    ::testing::Values(
        WindowCase{"English", 0, MenuKind::Full, true}, WindowCase{"French", 1, MenuKind::Full, true},
        WindowCase{"German", 2, MenuKind::Full, true}, WindowCase{"Spanish", 4, MenuKind::Full, true},
        WindowCase{"Italian", 5, MenuKind::Full, true}, WindowCase{"Dutch", 6, MenuKind::Full, true},
        WindowCase{"Swedish", 8, MenuKind::Full, true}, WindowCase{"Portuguese", 15, MenuKind::Full, true},
        WindowCase{"PortugueseArquivo", 15, MenuKind::Arquivo, true},
        WindowCase{"PasteAddedWhenEditOpens", 0, MenuKind::PasteOnOpen, true},
        WindowCase{"NoMenuBar", 0, MenuKind::NoMenu, false},
        WindowCase{"NoFileInAnyLanguage", 0, MenuKind::NoFile, false},
        WindowCase{"EditWithoutPaste", 0, MenuKind::NoPaste, false},
        WindowCase{"EditIsACommand", 0, MenuKind::EditCommand, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Listing, FileSeenWithoutPasteStillSetsTheMenuLanguage) {
  StoreGuard store;
  Internals()->state[0]->menuLanguage = 3;
  MenuWindow window("Brief - Schreiber", 2, MenuKind::NoPaste);
  EXPECT_EQ(ListModules(), Listing{});
  EXPECT_EQ(Internals()->state[0]->menuLanguage, 2);
}

TEST(Listing, RegisteredThenRunningThenCompanionInThatOrder) {
  StoreGuard store;
  std::string folder = CaseDir();
  Companion companion(folder, {"WORD.EXE,Word 6,1", "AMIPROUI.DLL,unknown,0", "BROKEN.EXE no commas",
                               "ODD.EXE,the unknown one,1", "XL.EXE,Excel 5,0"});
  SetInstallPath(folder);
  AddRecord("REGAPP.EXE", "C:\\APPS\\REGAPP.EXE", "Registered App", true);
  AddRecord("NOTITLE.EXE", "", "unknown", true);
  AddRecord("OFFAPP.EXE", "", "Switched Off", false);
  MenuWindow first("Letter - Mlmgmt Writer", 0);
  MenuWindow second("Notes - Mlmgmt Writer", 1);

  Listing got = ListModules();
  ASSERT_EQ(got.size(), 7u);
  Listing expected = Entries({{"Registered App", 1}, {"NOTITLE.EXE", 1}});
  // Both windows are this process: the first one examined adds the
  // record, the second is listed under the record's title.
  std::string title = got[2].first;
  EXPECT_TRUE(title == "Letter" || title == "Notes") << title;
  expected.push_back({title, 0});
  expected.push_back({title, 0});
  for (auto& e : Entries({{"Word 6 (Win3.x App)", 1}, {"AMIPROUI.DLL", 0}, {"Excel 5 (Win3.x App)", 0}}))
    expected.push_back(e);
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(companion.Running());
  EXPECT_NE(companion.Log().find("start /r"), std::string::npos) << companion.Log();

  // Without GTListUpdate the earlier candidates come again, and the
  // record found now in the table adds two more; the companion, already
  // running, is asked by WM_USER.
  Listing again = ListModules();
  ASSERT_EQ(again.size(), 9u);
  for (int i = 2; i < 6; ++i) EXPECT_EQ(again[i], std::make_pair(title, 0)) << i;
  EXPECT_EQ(again[6].first, "Word 6 (Win3.x App)");
  EXPECT_NE(companion.Log().find("list 0x400"), std::string::npos) << companion.Log();

  EXPECT_EQ(Gt().listUpdate(0), 0);
  EXPECT_NE(companion.Log().find("update 0x408"), std::string::npos);
  EXPECT_EQ(ListModules().size(), 7u);
}

TEST(Listing, ARegisteredRunningApplicationIsListedOnceWithItsFlag) {
  StoreGuard store;
  MenuWindow window("Draft - Mlmgmt Writer", 0);
  AddRecord(kSelf, "", "Mlmgmt Writer", true);
  EXPECT_EQ(ListModules(), Entries({{"Mlmgmt Writer", 1}}));
  // Unregistered by title: the slot stays, and it is listed among the
  // running ones.
  Gt().unregisterApp("Mlmgmt Writer");
  ASSERT_EQ(Slots().size(), 1u);
  EXPECT_EQ(Slots()[0].enabled, 0);
  EXPECT_EQ(ListModules(), Entries({{"Mlmgmt Writer", 0}}));
}

TEST(Listing, NoCompanionWindowAndNoInstallPathListsNoOldApps) {
  StoreGuard store;
  // Entries and a done flag left by an earlier run must not be listed.
  SetIniValue("Glyphtap_Apps", "App_1", "WORD.EXE,Word 6,1");
  SetIniValue("Glyphtap_Apps", "AppsDone", "1");
  EXPECT_EQ(ListModules(), Listing{});
  EXPECT_EQ(FindWindowA("Korvane.Glyphtap16", nullptr), nullptr);
}

TEST(Listing, ACompanionThatNeverAnswersIsWaitedForAtMostTenSeconds) {
  StoreGuard store;
  std::string folder = CaseDir();
  Companion companion(folder, {"#mute"});
  SetInstallPath(folder);
  SetIniValue("Glyphtap_Apps", "App_1", "WORD.EXE,Word 6,1");
  SetIniValue("Glyphtap_Apps", "AppsDone", "1");
  DWORD start = GetTickCount();
  EXPECT_EQ(ListModules(), Listing{});
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 9000u);
  EXPECT_LT(took, 30000u);
  EXPECT_NE(companion.Log().find("muted"), std::string::npos) << companion.Log();
}

// Runs a copy of this executable under name; the copy makes one English
// window and lists. The table is shared, so its records are seen here.
struct ChildResult {
  DWORD exitCode = 99;
  Listing listing;
};
ChildResult RunChildAs(const std::string& folder, const std::string& name) {
  ChildResult r;
  std::string exe = folder + name;
  if (!CopyFileA(ExePath().c_str(), exe.c_str(), FALSE)) return r;
  std::string out = folder + name + ".out";
  SetEnvironmentVariableA("MLMGMT_CHILD_OUT", out.c_str());
  SetEnvironmentVariableA("MLMGMT_BIN", BinDirA().c_str());
  std::string cmd = "\"" + exe + "\" --gtest_filter=Child.ListsWithOneWindow";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  BOOL ok =
      CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
  SetEnvironmentVariableA("MLMGMT_CHILD_OUT", nullptr);
  if (!ok) return r;
  if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
  GetExitCodeProcess(pi.hProcess, &r.exitCode);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  std::string text = ReadText(out), line;
  for (size_t at = 0; at < text.size();) {
    size_t nl = text.find('\n', at);
    line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    at = nl == std::string::npos ? text.size() : nl + 1;
    size_t bar = line.rfind('|');
    if (bar != std::string::npos) r.listing.push_back({line.substr(0, bar), std::stoi(line.substr(bar + 1))});
  }
  return r;
}

TEST(Listing, ExcludedProgramsAreNeverListed) {
  StoreGuard store;
  std::string folder = CaseDir();
  for (const char* name : {"lxlite.exe", "IEXPLORE.EXE", "winhlp32.exe"}) {
    ChildResult r = RunChildAs(folder, name);
    EXPECT_EQ(r.exitCode, 0u) << name;
    EXPECT_EQ(r.listing, Listing{}) << name;
    EXPECT_EQ(FindSlot(name), -1) << name;
  }
  // The same program under another name is listed.
  ChildResult r = RunChildAs(folder, "lxother.exe");
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.listing, Entries({{"Child", 0}}));
  ASSERT_GE(FindSlot("LXOTHER.EXE"), 0);
  EXPECT_EQ(Upper(Slots()[FindSlot("LXOTHER.EXE")].path), Upper(folder + "lxother.exe"));
}

TEST(Listing, OverlongProcessNamesAreCutToTheModuleField) {
  StoreGuard store;
  std::string folder = CaseDir();
  ChildResult r = RunChildAs(folder, "averyveryverylongname.exe");
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.listing, Entries({{"Child", 0}}));
  ASSERT_EQ(Slots().size(), 1u);
  EXPECT_EQ(Slots()[0].module, "AVERYVERYVERYLO");
}

TEST(Listing, A123WWindowStandsForMain123wBesideIt) {
  StoreGuard store;
  std::string without = CaseDir();
  // Without MAIN123W.DLL the enumeration ends: nothing is added.
  ChildResult r = RunChildAs(without, "123w.exe");
  EXPECT_EQ(r.listing, Listing{});
  EXPECT_EQ(Slots().size(), 0u);

  std::string with = CaseDir();
  WriteText(with + "MAIN123W.DLL", "not even an image");
  r = RunChildAs(with, "123w.exe");
  EXPECT_EQ(r.listing, Entries({{"Child", 0}}));
  int slot = FindSlot("MAIN123W.DLL");
  ASSERT_GE(slot, 0);
  EXPECT_EQ(Slots()[slot].path, Upper(with) + "MAIN123W.DLL");
}

// The child side of RunChildAs; skipped in a normal run.
TEST(Child, ListsWithOneWindow) {
  char out[MAX_PATH];
  if (!GetEnvironmentVariableA("MLMGMT_CHILD_OUT", out, MAX_PATH)) GTEST_SKIP() << "only run as a child";
  char bin[MAX_PATH];
  ASSERT_TRUE(GetEnvironmentVariableA("MLMGMT_BIN", bin, MAX_PATH));
  HMODULE dll = LoadLibraryA((std::string(bin) + "testlib\\menulink.dll").c_str());
  ASSERT_NE(dll, nullptr);
  using Cb = void(WINAPI*)(const char*, int32_t);
  auto getModules = ProcAddress<void(WINAPI*)(Cb)>(dll, "GTGetModules");
  auto listUpdate = ProcAddress<int32_t(WINAPI*)(int32_t)>(dll, "GTListUpdate");
  ASSERT_TRUE(getModules && listUpdate);
  static std::string text;
  text.clear();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MlmgmtChild";
  RegisterClassA(&wc);
  HMENU bar = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 1, "E&xit");
  AppendMenuA(edit, MF_STRING, 2, "&Paste");
  AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "&File");
  AppendMenuA(bar, MF_POPUP, (UINT_PTR)edit, "&Edit");
  HWND w = CreateWindowExA(0, "MlmgmtChild", "Child - Copy", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           bar, wc.hInstance, nullptr);
  ASSERT_NE(w, nullptr);
  getModules([](const char* name, int32_t flag)
                 WINAPI { text += std::string(name) + "|" + std::to_string(flag) + "\n"; });
  listUpdate(0);
  DestroyWindow(w);
  WriteText(out, text);
}

}  // namespace
