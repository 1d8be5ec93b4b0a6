#include "ripper/engine/title_file_name.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/native/engine/file_name_check.h"

using file_name_check::FileNameProblem;

namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

TEST(TitleFileName, OrdinaryTitlesAreKeptWhole) {
  EXPECT_EQ(TitleMp3Path(L"D:\\Music", 1, L"Intro"), L"D:\\Music\\01 - Intro.mp3");
  EXPECT_EQ(TitleMp3Path(L"D:\\", 12, L"Intro"), L"D:\\12 - Intro.mp3");
  EXPECT_EQ(TitleMp3Path(L"c:\\x", 100, L"Intro"), L"c:\\x\\100 - Intro.mp3");
  // Blanks, dots, accents, other scripts and symbols all survive.
  const std::wstring title = L"  Caf\u00e9 \u00e0 la cr\u00e8me... \u65e5\u672c (live) [1999] #1 ";
  EXPECT_EQ(TitleMp3FileName(3, title, 255), L"03 - " + title + L".mp3");
}

TEST(TitleFileName, SeparatorsCannotLeaveTheFolder) {
  EXPECT_EQ(TitleMp3Path(L"c:\\out", 1, L"AC/DC"), L"c:\\out\\01 - AC_DC.mp3");
  EXPECT_EQ(TitleMp3Path(L"c:\\out", 2, L"..\\..\\x"), L"c:\\out\\02 - .._.._x.mp3");
  EXPECT_EQ(TitleMp3Path(L"c:\\out", 3, L"c:\\windows\\x"), L"c:\\out\\03 - c__windows_x.mp3");
  EXPECT_EQ(TitleMp3Path(L"c:\\out", 4, L"\\\\server\\share"), L"c:\\out\\04 - __server_share.mp3");
  EXPECT_EQ(TitleMp3FileName(5, L"a:b*c?d\"e<f>g|h", 255), L"05 - a_b_c_d_e_f_g_h.mp3");
  EXPECT_EQ(TitleMp3FileName(6, std::wstring(L"a\tb\nc\0d", 7), 255), L"06 - a_b_c_d.mp3");
}

TEST(TitleFileName, HostileTitlesStillGiveOneValidName) {
  const std::wstring hostile[] = {
      L"",        L".",    L"..", L"...",    L"CON", L"nul", L"COM1",      L"lpt9",
      L"PRN.txt", L"aux ", L"  ", L"x. . .", L"/",   L"\\",  L"a\\..\\..", std::wstring(L"\0", 1)};
  for (const std::wstring& t : hostile) {
    const std::wstring name = TitleMp3FileName(7, t, 255);
    EXPECT_EQ(FileNameProblem(name), "") << Narrow(name);
    EXPECT_EQ(name.rfind(L"07 - ", 0), 0u) << Narrow(name);
  }
}

TEST(TitleFileName, SurrogatesStayPairedOrAreReplaced) {
  const std::wstring pair = {wchar_t(0xD83C), wchar_t(0xDFB5)};
  EXPECT_EQ(SafeTitleText(L"a" + pair + L"b"), L"a" + pair + L"b");
  EXPECT_EQ(SafeTitleText(std::wstring{wchar_t(0xD83C), L'x'}), std::wstring(L"\uFFFDx"));
  EXPECT_EQ(SafeTitleText(std::wstring{L'x', wchar_t(0xDFB5)}), std::wstring(L"x\uFFFD"));
  EXPECT_EQ(SafeTitleText(std::wstring{wchar_t(0xD83C)}), std::wstring(L"\uFFFD"));
}

TEST(TitleFileName, LongTitlesAreCutToTheLimits) {
  const std::wstring longTitle(1000, L'x');
  const std::wstring name = TitleMp3FileName(1, longTitle, 255);
  EXPECT_EQ(name.size(), 255u);
  EXPECT_EQ(name.substr(name.size() - 4), L".mp3");

  // A cut never splits a pair: the name is one unit shorter instead.
  std::wstring pairs;
  for (int i = 0; i < 300; ++i) pairs += std::wstring{wchar_t(0xD83C), wchar_t(0xDFB5)};
  for (size_t limit : {size_t(20), size_t(21)}) {
    const std::wstring cut = TitleMp3FileName(1, pairs, limit);
    EXPECT_LE(cut.size(), limit);
    EXPECT_GE(cut.size(), limit - 1);
    EXPECT_EQ(FileNameProblem(cut), "") << limit;
  }

  // The whole path stays within MAX_PATH, room left for a temporary suffix.
  const std::wstring deep = L"c:\\" + std::wstring(150, L'd');
  const std::wstring path = TitleMp3Path(deep, 1, longTitle);
  EXPECT_EQ(path.size(), kMaxMp3PathChars);
  EXPECT_EQ(path.rfind(deep + L"\\01 - x", 0), 0u);

  // A folder that leaves no room keeps the number and the extension.
  const std::wstring tooDeep = L"c:\\" + std::wstring(300, L'd');
  EXPECT_EQ(TitleMp3Path(tooDeep, 1, L"Intro"), tooDeep + L"\\01 - .mp3");
}

}  // namespace
