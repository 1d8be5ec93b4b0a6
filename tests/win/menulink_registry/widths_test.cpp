// Two libraries on one table: a copy of the DLL has a shared section of its
// own, as the 32-bit and 64-bit libraries have. The registered
// applications, the count and the switch must still be one for both.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "process_bed.h"
#include "tests/win/common/test_files.h"

namespace {

class TwoLibraries : public FreshTableTest {
 protected:
  ScratchDir dir{L"mlpeer-"};
  std::string peer;
  void SetUp() override {
    FreshTableTest::SetUp();
    std::wstring copy = dir.File(L"menulink64.dll");
    std::wstring original = BinDir() + L"\\testlib\\menulink.dll";
    ASSERT_TRUE(CopyFileW(original.c_str(), copy.c_str(), FALSE));
    peer = std::string(copy.begin(), copy.end());
  }
};

TEST_F(TwoLibraries, TheSecondLibraryServesAndSavesTheFirstOnesTable) {
  SetDirectValue("App_1", "WINWORD.EXE, D:\\Office\\WINWORD.EXE, Microsoft Word");
  SetDirectValue("App_2", "NOTEPAD.EXE, C:\\windows\\notepad.exe, Notepad");
  Driver first({"load", "setdisabled|1", "signal|mlw_first_ready", "wait|mlw_first_go", "dump", "shared"});
  ASSERT_TRUE(WaitNamedEvent("mlw_first_ready"));

  // The other library arrives while the first holds the table: it must
  // see the two records, add behind them, and save all three.
  DriverRun second = RunDriver({"loadfrom|" + peer, "dump", "shared", "add|NEW.EXE|C:\\new.exe", "enable|2",
                                "setdisabled|0", "savekey"});
  SetNamedEvent("mlw_first_go");
  DriverRun firstRun = first.Wait();
  ASSERT_TRUE(second.finished && firstRun.finished) << second.out << firstRun.out;
  ASSERT_EQ(second.After("load "), "1") << second.out;

  int count = -1;
  std::vector<Slot> seen = ParseDump(second, &count);
  EXPECT_EQ(count, 2) << second.out;
  ASSERT_EQ(seen.size(), 2u) << second.out;
  EXPECT_EQ(seen[0].module, "WINWORD.EXE");
  EXPECT_EQ(seen[1].module, "NOTEPAD.EXE");
  // The switch set by the first library is the second one's.
  EXPECT_EQ(second.After("shared ").substr(0, 6), "2 0 1 ") << second.out;
  EXPECT_EQ(second.After("add "), "2") << "a registration wrote over a slot in use";
  EXPECT_EQ(second.After("savekey "), "1");

  std::map<std::string, std::string> v = DirectValues();
  EXPECT_EQ(v.size(), 3u);
  EXPECT_EQ(v["App_1"], "WINWORD.EXE, D:\\Office\\WINWORD.EXE, Microsoft Word");
  EXPECT_EQ(v["App_2"], "NOTEPAD.EXE, C:\\windows\\notepad.exe, Notepad");
  EXPECT_EQ(v["App_3"], "NEW.EXE, C:\\new.exe, unknown");

  // And back: the first library sees the third record and the switch the
  // second one cleared.
  std::vector<Slot> back = ParseDump(firstRun, &count);
  EXPECT_EQ(count, 3) << firstRun.out;
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[2].module, "NEW.EXE");
  EXPECT_EQ(back[2].enabled, 1);
  EXPECT_EQ(firstRun.After("shared ").substr(0, 6), "3 0 0 ") << firstRun.out;
}

}  // namespace
