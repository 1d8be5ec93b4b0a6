#include "ripper/engine/session_lines.h"

#include <gtest/gtest.h>

TEST(SessionLines, TwoOfNineSelected) {
  // Tracks 2 and 5 selected: ordinals 1 and 2 of 2.
  EXPECT_EQ(ReadingTrackLine(2, TracksLeft(2, 1)), L"Reading Track  02,   02 Track(s) left");
  EXPECT_EQ(ReadingTrackLine(5, TracksLeft(2, 2)), L"Reading Track  05,   01 Track(s) left");
  EXPECT_EQ(ReadingTrackStatus(2, 2), L"Reading Track 02,   02 Track(s) left");
  EXPECT_EQ(EncodingTrackLine(5, 1), L"Encoding Track 05,   01 Track(s) left");
}

TEST(SessionLines, WideNumbersKeepTheirDigits) {
  EXPECT_EQ(ReadingTrackLine(100, 120), L"Reading Track  100,   120 Track(s) left");
  EXPECT_EQ(InvalidLengthLine(3), L"Error, invalid lenght on Track 03 Skipping to next Track");
}

TEST(SessionLines, SessionBracketsAndErrors) {
  EXPECT_EQ(StartingSessionLine(L"05.03.2024", L"14:02:09"), L"Starting Session (05.03.2024) (14:02:09)");
  EXPECT_EQ(EndingSessionLine(L"3/5/2024", L"2:02:09 PM"), L"Ending Session (3/5/2024) (2:02:09 PM)");
  EXPECT_EQ(ReadErrorLine(-5, L"drive not ready"), L"Error code -5, drive not ready");
  EXPECT_EQ(ReadErrorLine(7, L""), L"Error code 7, ");
}

// A read or one encode alone keep today's status texts; side by side the
// line names every track at work, wide numbers whole.
TEST(SessionLines, StatusWhileReadsAndEncodesOverlap) {
  EXPECT_EQ(PipelineStatus(3, 7, {}, 0), L"Reading Track 03,   07 Track(s) left");
  EXPECT_EQ(PipelineStatus(0, 0, {2}, 8), L"Encoding Track 02,   08 Track(s) left");
  EXPECT_EQ(PipelineStatus(3, 7, {1, 2}, 8), L"Reading Track 03, encoding Tracks 01, 02");
  EXPECT_EQ(PipelineStatus(101, 1, {99}, 3), L"Reading Track 101, encoding Track 99");
  EXPECT_EQ(PipelineStatus(0, 0, {4, 5, 6}, 1), L"Encoding Tracks 04, 05, 06");
  EXPECT_EQ(PipelineStatus(0, 0, {}, 0), L"");
}
