#include "ripper/ui/read_offset_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadOffsetText, AcceptsSignedNumbersWithinTheRange) {
  struct Case {
    const wchar_t* text;
    int32_t value;
  } ok[] = {{L"6", 6}, {L"+6", 6}, {L"-6", -6}, {L" +667 ", 667}, {L"0", 0}, {L"-0", 0},
            {L"3000", 3000}, {L"-3000", -3000}, {L"\t+30\t", 30}, {L"0006", 6}};
  for (const Case& c : ok) {
    int32_t v = 12345;
    EXPECT_TRUE(ParseReadOffset(c.text, v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(ReadOffsetText, RefusesAnythingElseAndLeavesTheValue) {
  for (const wchar_t* bad : {L"", L"  ", L"+", L"-", L"3001", L"-3001", L"6 samples", L"+-6", L"6.5", L"1e3",
                             L"99999999999999999999999", L"0x10", L"\u0666", L"6 6"}) {
    int32_t v = 77;
    EXPECT_FALSE(ParseReadOffset(bad, v)) << bad;
    EXPECT_EQ(v, 77) << bad;
  }
  EXPECT_NE(ReadOffsetRangeMessage().find(L"-3000"), std::wstring::npos);
  EXPECT_NE(ReadOffsetRangeMessage().find(L"+3000"), std::wstring::npos);
}

TEST(ReadOffsetText, ShownWithItsSignAndStoredAsTwosComplement) {
  EXPECT_EQ(ReadOffsetText(6), L"+6");
  EXPECT_EQ(ReadOffsetText(0), L"0");
  EXPECT_EQ(ReadOffsetText(-1164), L"-1164");
  int32_t v = 0;
  ASSERT_TRUE(StoredReadOffset(0xFFFFFFFAu, v));
  EXPECT_EQ(v, -6);
  ASSERT_TRUE(StoredReadOffset(3000, v));
  EXPECT_EQ(v, 3000);
  v = 5;
  // Out of range either way, and the far ends of 32 bits, read as absent.
  for (uint32_t bad : {3001u, 0xFFFFF447u, 0x7FFFFFFFu, 0x80000000u}) {
    EXPECT_FALSE(StoredReadOffset(bad, v)) << bad;
    EXPECT_EQ(v, 5);
  }
}

TEST(ReadOffsetText, DriveNameDropsTheLetterOnly) {
  EXPECT_EQ(DriveSettingName(L"D: PLEXTOR DVDR PX-716A"), L"PLEXTOR DVDR PX-716A");
  EXPECT_EQ(DriveSettingName(L"e: HL-DT-ST DVDRAM"), L"HL-DT-ST DVDRAM");
  // Two drives of one model share their offset; a name that only looks
  // like a letter is kept.
  EXPECT_EQ(DriveSettingName(L"F: PLEXTOR DVDR PX-716A"), DriveSettingName(L"D: PLEXTOR DVDR PX-716A"));
  EXPECT_EQ(DriveSettingName(L"Disc image a.cue (Z:\\t\\a.cue)"), L"Disc image a.cue (Z:\\t\\a.cue)");
  EXPECT_EQ(DriveSettingName(L"D:"), L"CD-ROM drive");
  EXPECT_EQ(DriveSettingName(L""), L"CD-ROM drive");
}

}  // namespace
