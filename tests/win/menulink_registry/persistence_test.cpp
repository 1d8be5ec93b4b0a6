// Saving the table back to the registry, the installation folder and the
// 16-bit application list of "lx70.ini".
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "process_bed.h"

namespace {

class Persistence : public FreshTableTest {};

TEST_F(Persistence, SaveByKeyStoresEnabledSlotsRenumbered) {
  SetDirectValue("App_1", "A.EXE, C:\\a.exe, Alpha");
  SetDirectValue("App_2", "B.EXE, C:\\b.exe, Beta");
  SetDirectValue("App_3", "C.EXE, , Gamma");
  SetDirectValue("Other", "kept only by save by values");
  DriverRun run = RunDriver({"load", "disable|1", "savekey"});
  EXPECT_EQ(run.After("savekey "), "1") << run.out;

  std::map<std::string, std::string> v = DirectValues();
  EXPECT_EQ(v.size(), 2u);
  EXPECT_EQ(v["App_1"], "A.EXE, C:\\a.exe, Alpha");
  // Slot 2 was loaded with the title in path: it is saved as it stands.
  EXPECT_EQ(v["App_2"], "C.EXE, Gamma, ");
  EXPECT_EQ(DirectKeyClass(), "Application Global Data");

  std::vector<Slot> s = ParseDump(RunDriver({"load", "dump"}));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].enabled, 1);
  EXPECT_EQ(s[1].enabled, 1);
  EXPECT_EQ(s[1].module, "C.EXE");
}

TEST_F(Persistence, SaveByKeyWithoutTheKeyReportsZero) {
  DriverRun run = RunDriver({"load", "add|A.EXE|C:\\a.exe", "enable|0", "savekey"});
  EXPECT_EQ(run.After("savekey "), "0");
  EXPECT_EQ(DirectKeyClass(), "<no key>");
}

TEST_F(Persistence, SaveByValuesDeletesUpToTheFirstGap) {
  SetDirectValue("App_1", "A.EXE, C:\\a.exe, Alpha");
  SetDirectValue("App_2", "B.EXE, C:\\b.exe, Beta");
  SetDirectValue("App_3", "C.EXE, C:\\c.exe, Gamma");
  SetDirectValue("App_5", "E.EXE, C:\\e.exe, Epsilon");
  DriverRun run =
      RunDriver({"load", "disable|0", "disable|2", "add|N.EXE|C:\\n.exe", "enable|3", "savevalues"});
  EXPECT_EQ(run.After("savevalues "), "1") << run.out;
  std::map<std::string, std::string> v = DirectValues();
  EXPECT_EQ(v.size(), 3u);
  EXPECT_EQ(v["App_1"], "B.EXE, C:\\b.exe, Beta");
  EXPECT_EQ(v["App_2"], "N.EXE, C:\\n.exe, unknown");
  EXPECT_EQ(v.count("App_3"), 0u);
  EXPECT_EQ(v["App_5"], "E.EXE, C:\\e.exe, Epsilon");
}

TEST_F(Persistence, SaveByValuesWithoutTheKeySavesNothing) {
  RunDriver({"load", "add|A.EXE|C:\\a.exe", "enable|0", "savevalues"});
  EXPECT_EQ(DirectKeyClass(), "<no key>");
}

TEST_F(Persistence, OverlongFieldsAreSavedCutToOneRecordText) {
  SetDirectValue("App_1", "A.EXE, C:\\a.exe, Alpha");
  DriverRun run = RunDriver(
      {"load", "setpath|0|C:\\" + std::string(300, 'p'), "settitle|0|" + std::string(80, 't'), "savevalues"});
  std::string text = DirectValues()["App_1"];
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.substr(0, 10), "A.EXE, C:\\");
}

TEST_F(Persistence, InstallPathIsReadAndCutToTheBuffer) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Korvane Corp\\Lexora9.0\\General", 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char* folder = "C:\\Lexora";
  RegSetValueExA(key, "InstallPath", 0, REG_SZ, (const BYTE*)folder, 10);
  std::string longer(100, 'x');
  RegSetValueExA(key, "Long", 0, REG_SZ, (const BYTE*)longer.c_str(), 101);
  RegSetValueExA(key, "Number", 0, REG_DWORD, (const BYTE*)"\1\0\0\0", 4);
  RegCloseKey(key);
  // The driver reads into a 32-byte buffer.
  DriverRun run = RunDriver(
      {"load", "installpath|InstallPath", "installpath|Long", "installpath|Number", "installpath|Missing"});
  std::vector<std::string> l = run.Lines();
  ASSERT_EQ(l.size(), 5u) << run.out;
  EXPECT_EQ(l[1], "installpath 1 C:\\Lexora");
  EXPECT_EQ(l[2], "installpath 1 " + std::string(31, 'x'));
  EXPECT_EQ(l[3], "installpath 0 ");
  EXPECT_EQ(l[4], "installpath 0 ");
}

TEST_F(Persistence, IniAppNumberFindsTheFirstEntryHoldingTheText) {
  store.WriteIni(
      "[Glyphtap_Apps]\r\nApp_1=WRITE.EXE,Write,1\r\nApp_2=PBRUSH.EXE,Paintbrush,0\r\n"
      "App_3=AMIPRO.EXE,Ami Pro,1\r\nApp_5=LOST.EXE,Lost,1\r\nAppsDone=1\r\n");
  DriverRun run = RunDriver(
      {"load", "inifind|Ami Pro", "inifind|Write", "inifind|ami pro", "inifind|Lost", "inifind|Nothing"});
  std::vector<std::string> l = run.Lines();
  ASSERT_EQ(l.size(), 6u) << run.out;
  EXPECT_EQ(l[1], "inifind 3");
  EXPECT_EQ(l[2], "inifind 1");
  EXPECT_EQ(l[3], "inifind -1");  // case-sensitive
  EXPECT_EQ(l[4], "inifind -1");  // beyond the gap
  EXPECT_EQ(l[5], "inifind -1");
  store.RemoveIni();
  EXPECT_EQ(RunDriver({"load", "inifind|Write"}).After("inifind "), "-1");
}

}  // namespace
