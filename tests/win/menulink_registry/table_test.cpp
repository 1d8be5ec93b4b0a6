// The shared table seen from several real processes that load menulink.dll.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process_bed.h"

namespace {

// The driver's answers after the first, that of "load".
std::vector<std::string> Answers(const DriverRun& run) {
  std::vector<std::string> l = run.Lines();
  if (!l.empty()) l.erase(l.begin());
  return l;
}

class SharedTable : public FreshTableTest {
 protected:
  void StoreThree() {
    SetDirectValue("App_1", "WINWORD.EXE, D:\\Office\\WINWORD.EXE, Microsoft Word");
    SetDirectValue("App_2", "NOTEPAD.EXE, , Notepad");
    SetDirectValue("App_3", "   CALC.EXE  ,   C:\\Win\\calc.exe   ,   Calculator   ");
  }
};

TEST_F(SharedTable, FirstProcessFillsTheTableAndLaterOnesOnlyOpenIt) {
  StoreThree();
  Driver first({"load", "dump", "setdisabled|7", "signal|mlreg_first_ready", "wait|mlreg_first_go"});
  ASSERT_TRUE(WaitNamedEvent("mlreg_first_ready"));

  // Changes to the registry now must not reach the second process.
  SetDirectValue("App_4", "LATE.EXE, C:\\late.exe, Late");
  DriverRun second = RunDriver({"load", "dump", "shared"});
  SetNamedEvent("mlreg_first_go");
  DriverRun firstRun = first.Wait();
  ASSERT_TRUE(firstRun.finished);
  ASSERT_TRUE(second.finished) << second.out;

  int count = -1;
  std::vector<Slot> slots = ParseDump(firstRun, &count);
  EXPECT_EQ(count, 3);
  ASSERT_EQ(slots.size(), 3u);
  for (const Slot& s : slots) EXPECT_EQ(s.enabled, 1);

  int secondCount = -1;
  std::vector<Slot> seen = ParseDump(second, &secondCount);
  EXPECT_EQ(secondCount, 3);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].module, "WINWORD.EXE");
  // The shared section is one copy: the first process's write is seen.
  EXPECT_EQ(second.After("shared "), "3 0 7 module");
}

TEST_F(SharedTable, RecordTextsLoadIntoTheirFields) {
  StoreThree();
  std::vector<Slot> slots = ParseDump(RunDriver({"load", "dump"}));
  ASSERT_EQ(slots.size(), 3u);
  EXPECT_EQ(slots[0].module, "WINWORD.EXE");
  EXPECT_EQ(slots[0].path, "D:\\Office\\WINWORD.EXE");
  EXPECT_EQ(slots[0].title, "Microsoft Word");
  // The empty path is skipped: the title moves up into path.
  EXPECT_EQ(slots[1].module, "NOTEPAD.EXE");
  EXPECT_EQ(slots[1].path, "Notepad");
  EXPECT_EQ(slots[1].title, "");
  EXPECT_EQ(slots[2].module, "CALC.EXE");
  EXPECT_EQ(slots[2].path, "C:\\Win\\calc.exe");
  EXPECT_EQ(slots[2].title, "Calculator");
}

TEST_F(SharedTable, NoListKeyGivesAnEmptyTable) {
  DriverRun run = RunDriver({"load", "dump"});
  EXPECT_EQ(run.After("load "), "1");
  int count = -1;
  EXPECT_TRUE(ParseDump(run, &count).empty());
  EXPECT_EQ(count, 0);
}

TEST_F(SharedTable, ListEndsAtAGapOrAValueOfAnotherType) {
  SetDirectValue("App_1", "A.EXE, C:\\a.exe, A");
  SetDirectValue("App_2", "B.EXE, C:\\b.exe, B", REG_EXPAND_SZ);
  SetDirectValue("App_3", "C.EXE, C:\\c.exe, C");
  std::vector<Slot> slots = ParseDump(RunDriver({"load", "dump"}));
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0].module, "A.EXE");
}

TEST_F(SharedTable, OverlongStoredTextsAreCutNotOverrun) {
  std::string longModule(40, 'M');
  SetDirectValue("App_1", longModule + ", " + std::string(600, 'P') + ", T");
  SetDirectValue("App_2", "B.EXE, C:\\b.exe, B");
  DriverRun run = RunDriver({"load", "dump", "check"});
  std::vector<Slot> slots = ParseDump(run);
  ASSERT_EQ(slots.size(), 2u) << run.out;
  EXPECT_EQ(slots[0].module, std::string(15, 'M'));
  EXPECT_EQ(slots[0].path.size(), 255u - 42u);
  EXPECT_EQ(slots[1].module, "B.EXE");
  EXPECT_EQ(run.After("check "), "0");
}

TEST_F(SharedTable, LookupsIgnoreCase) {
  StoreThree();
  DriverRun run = RunDriver({"load", "findmod|winword.exe", "findtitle|CALCULATOR", "findmod|EXCEL.EXE",
                             "findtitle|Word", "isenabled|2", "isenabled|25", "isenabled|-1"});
  EXPECT_EQ(Answers(run),
            (std::vector<std::string>{"findmod 1 0", "findtitle 1 2", "findmod 1 -1", "findtitle 1 -1",
                                      "isenabled 1", "isenabled 0", "isenabled 0"}))
      << run.out;
}

TEST_F(SharedTable, AddedRecordsAndFieldChanges) {
  DriverRun run =
      RunDriver({"load", "add|EXCEL.EXE|C:\\xl\\EXCEL.EXE", "addwin|WINWORD.EXE|Doc1 - Microsoft Word|p",
                 "addwin|NOTEPAD.EXE||", "addwin|X.EXE|Untitled - Notepad|",
                 "add|" + std::string(30, 'Q') + "|" + std::string(300, 'P'), "enable|0", "run|1",
                 "settitle|2|" + std::string(100, 'T'), "setpath|0|D:\\new", "getpath|0", "getpath|0|4",
                 "settitle|9|x", "getpath|9", "disable|0", "dump", "check"});
  std::vector<std::string> l = run.Lines();
  EXPECT_EQ(run.After("add "), "0");
  EXPECT_NE(run.out.find("addwin 1\n"), std::string::npos);
  EXPECT_NE(run.out.find("getpath 1 D:\\new\n"), std::string::npos);
  EXPECT_NE(run.out.find("getpath 1 D:\\\n"), std::string::npos);  // cut to the caller's buffer
  // Slots not in use are refused and the caller's buffer left alone.
  EXPECT_NE(run.out.find("settitle 0\n"), std::string::npos);
  EXPECT_NE(run.out.find("getpath 0 untouched\n"), std::string::npos);

  int count = -1;
  std::vector<Slot> s = ParseDump(run, &count);
  ASSERT_EQ(s.size(), 5u) << run.out;
  EXPECT_EQ(s[0].title, "unknown");
  EXPECT_EQ(s[0].path, "D:\\new");
  EXPECT_EQ(s[0].enabled, 0);
  EXPECT_EQ(s[1].title, "Doc1");
  EXPECT_EQ(s[1].running, 1);
  EXPECT_EQ(s[2].title, std::string(63, 'T'));  // set after the window gave "unknown"
  EXPECT_EQ(s[3].title, "Notepad");
  EXPECT_EQ(s[4].module, std::string(15, 'Q'));
  EXPECT_EQ(s[4].path, std::string(263, 'P'));
  EXPECT_EQ(run.After("check "), "0");
}

TEST_F(SharedTable, WindowWithoutTextGivesUnknown) {
  DriverRun run = RunDriver({"load", "addwin|A.EXE||", "dump"});
  std::vector<Slot> s = ParseDump(run);
  ASSERT_EQ(s.size(), 1u) << run.out;
  EXPECT_EQ(s[0].title, "unknown");
}

TEST_F(SharedTable, FullTableReusesTheLowestFreeSlot) {
  for (int n = 1; n <= 20; ++n)
    SetDirectValue("App_" + std::to_string(n),
                   "M" + std::to_string(n) + ".EXE, C:\\m.exe, T" + std::to_string(n));
  DriverRun run = RunDriver({"load", "disable|7", "disable|3", "run|3", "add|NEW1.EXE|a", "add|NEW2.EXE|b",
                             "enable|7", "add|NEW3.EXE|c", "dump"});
  std::vector<std::string> l = run.Lines();
  ASSERT_GE(l.size(), 9u) << run.out;
  EXPECT_EQ(l[4], "add 7");  // slot 3 is disabled but running
  // An added record is not registered yet, so its slot is free again.
  EXPECT_EQ(l[5], "add 7");
  EXPECT_EQ(l[7], "add -1");
  int count = -1;
  std::vector<Slot> s = ParseDump(run, &count);
  EXPECT_EQ(count, 20);
  ASSERT_EQ(s.size(), 20u);
  EXPECT_EQ(s[7].module, "NEW2.EXE");
  EXPECT_EQ(s[7].path, "b");
  EXPECT_EQ(s[7].title, "unknown");
  EXPECT_EQ(s[3].module, "M4.EXE");

  std::vector<Captured> m = store.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].id, 320);
  EXPECT_EQ(
      m[0].text,
      "An error with Glyphtap caused a memory conflict in your open applications. Please restart Windows.");
  EXPECT_EQ(m[0].caption, "Glyphtap Error");
}

TEST_F(SharedTable, TwentyFirstStoredRecordMakesTheLoadFail) {
  for (int n = 1; n <= 21; ++n) SetDirectValue("App_" + std::to_string(n), "M.EXE, C:\\m.exe, T");
  DriverRun run = RunDriver({"load"});
  EXPECT_EQ(run.After("load "), "0");
  std::vector<Captured> m = store.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].id, 320);
  // The failed load left nothing behind: the next process starts afresh.
  DeleteDirectKey();
  int count = -1;
  ParseDump(RunDriver({"load", "dump"}), &count);
  EXPECT_EQ(count, 0);
}

TEST_F(SharedTable, TitleRuleOnRealWindows) {
  DriverRun run = RunDriver({"load", "title|Report.doc - Microsoft Word", "title|Untitled - Notepad",
                             "title|Document - WordPad", "title|Plain"});
  EXPECT_EQ(Answers(run),
            (std::vector<std::string>{"title Report.doc", "title Notepad", "title WordPad", "title Plain"}))
      << run.out;
}

}  // namespace
