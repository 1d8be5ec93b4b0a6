#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "menulink/integration/menu_text.h"
#include "menulink/registry/module_names.h"

namespace {

std::string Normalised(const char* in, size_t size = 64) {
  char out[64];
  NormaliseMenuText(out, size, in);
  return out;
}

TEST(MenuText, NormalisedTextDropsAccessKeysShortcutsAndTrailingBlanks) {
  for (auto [in, out] : {std::pair{"&Edit\tCtrl+E", "Edit"},
                         {"E&xit  \t Alt+F4", "Exit"},
                         {"&Help \r\n\b right", "Help"},
                         {"A&&B", "AB"},
                         {"Edit More", "Edit More"},
                         {"\t", ""},
                         {"", ""}})
    EXPECT_EQ(Normalised(in), out) << in;
  // Cut to the buffer, never past it.
  EXPECT_EQ(Normalised("&Abcdef", 4), "Abc");
  char untouched[2] = {'x', 'y'};
  NormaliseMenuText(untouched, 0, "abc");
  EXPECT_EQ(untouched[0], 'x');
}

TEST(MenuText, CommandTextKeepsBackspaces) {
  char out[32];
  NormaliseCommandText(out, sizeof out, "&Close \tCtrl+W");
  EXPECT_STREQ(out, "Close");
  NormaliseCommandText(out, sizeof out, "Clo&se\bx");
  EXPECT_STREQ(out, "Close\bx");
}

TEST(MenuText, StripChar) {
  char out[32];
  EXPECT_STREQ(StripChar(out, "&Acqu&ire&", '&'), "Acquire");
  EXPECT_STREQ(StripChar(out, "", '&'), "");
}

TEST(CommandIdMap, BitsAreMostSignificantFirstAndTakingStartsAt1500) {
  uint8_t map[kCommandIdMapBytes];
  CommandIdMapClear(map);
  CommandIdMapMark(map, 0);
  CommandIdMapMark(map, 9);
  CommandIdMapMark(map, 2047);
  CommandIdMapMark(map, 2048);  // out of range: ignored
  CommandIdMapMark(map, 70000);
  EXPECT_EQ(map[0], 0x80);
  EXPECT_EQ(map[1], 0x40);
  EXPECT_EQ(map[255], 0x01);
  EXPECT_FALSE(CommandIdMapTest(map, 2048));

  for (uint32_t id = 1500; id <= 1502; ++id) CommandIdMapMark(map, id);
  EXPECT_EQ(CommandIdMapTake(map), 1503u);
  EXPECT_EQ(CommandIdMapTake(map), 1504u);
  for (uint32_t id = 1500; id <= 2045; ++id) CommandIdMapMark(map, id);
  EXPECT_EQ(CommandIdMapTake(map), 2046u);
  EXPECT_EQ(CommandIdMapTake(map), 0u);  // 2047 is never handed out
}

TEST(ModuleNames, FileNamePartAndExclusions) {
  char out[16];
  // The last case is cut to the 15-character field.
  for (auto [path, name] : {std::pair{"C:\\windows\\system32\\notepad.exe", "notepad.exe"},
                            {"C:WRITE.EXE", "WRITE.EXE"},
                            {"plain.exe", "plain.exe"},
                            {"D:\\dir\\", ""},
                            {"D:\\x\\averyveryverylongname.exe", "averyveryverylo"}}) {
    ModuleNameFromPath(out, sizeof out, path);
    EXPECT_STREQ(out, name) << path;
  }

  for (const char* m : {"EXPLORER.EXE", "Ole32.Dll", "iexplore.exe"}) EXPECT_TRUE(IsExcludedModule(m)) << m;
  for (const char* m : {"explorer.ex", "NOTEPAD.EXE"}) EXPECT_FALSE(IsExcludedModule(m)) << m;
  EXPECT_TRUE(IsWordPro97Version("97.0.1.5"));
  for (const char* other : {"9.7", "9"}) EXPECT_FALSE(IsWordPro97Version(other)) << other;
}

TEST(MenuLanguage, EditCandidateBeatsFileCandidate) {
  MenuLanguageCandidates c;
  EXPECT_EQ(c.Result(6), 6);
  c.FileMatched(0);
  c.FileMatched(5);
  EXPECT_EQ(c.Result(6), 0);
  c.EditMatched(5);
  c.EditMatched(8);
  EXPECT_EQ(c.Result(6), 5);
}

}  // namespace
