#include "ripper/engine/session_names.h"

#include <gtest/gtest.h>

TEST(NumberText, AtLeastTwoDigits) {
  EXPECT_EQ(NumberText(0), L"00");
  EXPECT_EQ(NumberText(1), L"01");
  EXPECT_EQ(NumberText(9), L"09");
  EXPECT_EQ(NumberText(12), L"12");
  EXPECT_EQ(NumberText(100), L"100");
  EXPECT_EQ(NumberText(-1), L"-01");
}

TEST(SessionPaths, DriveRootGetsNoExtraBackslash) {
  EXPECT_EQ(WavFilePath(L"D:\\", L"Track", 1), L"D:\\Track01.wav");
  EXPECT_EQ(Mp3FilePath(L"D:\\", L"Track", 1), L"D:\\Track01.mp3");
  EXPECT_EQ(LogFilePath(L"D:\\"), L"D:\\trackforge.log");
}

TEST(SessionPaths, OtherFoldersGetABackslash) {
  EXPECT_EQ(WavFilePath(L"D:\\Music", L"Track", 1), L"D:\\Music\\Track01.wav");
  EXPECT_EQ(LogFilePath(L"D:\\Music"), L"D:\\Music\\trackforge.log");
  // The rule counts characters only: a three-letter folder name gets nothing.
  EXPECT_EQ(JoinOutputPath(L"abc", L"x"), L"abcx");
  EXPECT_EQ(JoinOutputPath(L"D:", L"x"), L"D:\\x");
}

TEST(SessionPaths, PrefixUsedAsTyped) {
  EXPECT_EQ(WavFilePath(L"D:\\Music", L"", 1), L"D:\\Music\\01.wav");
  EXPECT_EQ(WavFilePath(L"D:\\Music", L"Track", 100), L"D:\\Music\\Track100.wav");
  EXPECT_EQ(WavFilePath(L"D:\\Music", L" My Disc ", 7), L"D:\\Music\\ My Disc 07.wav");
}

TEST(SessionPaths, CddbTitleNamesTheMp3Only) {
  EXPECT_EQ(Mp3FilePathFromTitle(L"D:\\Music", 1, L"Intro"), L"D:\\Music\\01 - Intro.mp3");
  EXPECT_EQ(Mp3FilePathFromTitle(L"D:\\", 12, L"Outro"), L"D:\\12 - Outro.mp3");
}

TEST(SessionPaths, Mp3PathMustLeaveRoomForTheTemporaryName) {
  // 252 + ".wqpart" = 259 characters: the longest path Windows takes.
  const std::wstring folder = L"C:\\" + std::wstring(100, L'f');
  const std::wstring fits = folder + L"\\" + std::wstring(252 - 104 - 6, L'p') + L"01.mp3";
  ASSERT_EQ(fits.size(), 252u);
  EXPECT_TRUE(Mp3PathFits(fits));
  EXPECT_FALSE(Mp3PathFits(fits.substr(0, 105) + L"p" + fits.substr(105)));
  // A file name of 248 + 7 = 255 characters is the file system's limit.
  EXPECT_TRUE(Mp3PathFits(L"C:\\" + std::wstring(242, L'p') + L"01.mp3"));
  EXPECT_FALSE(Mp3PathFits(L"C:\\" + std::wstring(243, L'p') + L"01.mp3"));
}
