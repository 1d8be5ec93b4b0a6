#include <gtest/gtest.h>

#include "components/cddb/cddb_xmcd.h"

namespace {

CddbEntry Parse(const std::string& record) {
  CddbEntry e;
  std::string err;
  EXPECT_TRUE(CddbParseXmcd(record, e, err)) << err;
  return e;
}

TEST(CddbXmcd, FieldsTitlesAndDiscTitleSplit) {
  const CddbEntry e = Parse(
      "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t20972\n#\n# Disc length: 3342 seconds\n"
      "DISCID=0a0b0c02\nDTITLE=The Band / The Album\nDYEAR=1999\nDGENRE=Art Rock\n"
      "TTITLE0=Opening\nTTITLE1=Closing\nEXTD=\nEXTT0=\nEXTT1=\nPLAYORDER=\n");
  EXPECT_EQ(e.discTitle, L"The Band / The Album");
  EXPECT_EQ(e.artist, L"The Band");
  EXPECT_EQ(e.album, L"The Album");
  EXPECT_EQ(e.year, L"1999");
  EXPECT_EQ(e.genre, L"Art Rock");
  EXPECT_EQ(e.discId, "0a0b0c02");
  ASSERT_EQ(e.trackTitles.size(), 2u);
  EXPECT_EQ(e.trackTitles[0], L"Opening");
  EXPECT_EQ(e.trackTitles[1], L"Closing");

  const CddbEntry solo = Parse("DTITLE=Only One Name\nTTITLE0=x\n");
  EXPECT_EQ(solo.artist, L"Only One Name");
  EXPECT_EQ(solo.album, L"Only One Name");
  // Only the first " / " separates; a slash without blanks is part of a name.
  const CddbEntry ac = Parse("DTITLE=AC/DC / Live / Disc 1\n");
  EXPECT_EQ(ac.artist, L"AC/DC");
  EXPECT_EQ(ac.album, L"Live / Disc 1");
}

TEST(CddbXmcd, ContinuationLinesAndEscapes) {
  const CddbEntry e = Parse(
      "DTITLE=A very long artist name that / \nDTITLE=goes on\n"
      "TTITLE0=Part one, \nTTITLE0=part two\n"
      "TTITLE1=Tab\\there, newline\\nthere, backslash \\\\ and \\x kept\n"
      // An escape split over two lines still resolves.
      "TTITLE2=split \\\nTTITLE2=nescape\n");
  EXPECT_EQ(e.discTitle, L"A very long artist name that / goes on");
  EXPECT_EQ(e.album, L"goes on");
  EXPECT_EQ(e.trackTitles.at(0), L"Part one, part two");
  EXPECT_EQ(e.trackTitles.at(1), L"Tab\there, newline\nthere, backslash \\ and \\x kept");
  EXPECT_EQ(e.trackTitles.at(2), L"split \nescape");
}

TEST(CddbXmcd, Utf8AndLatin1Titles) {
  const CddbEntry e = Parse(
      "DTITLE=Bj\xC3\xB6rk / \xE6\x97\xA5\xE6\x9C\xAC\nTTITLE0=\xF0\x9F\x8E\xB5 note\n"
      "TTITLE1=caf\xE9 au lait\n");
  EXPECT_EQ(e.artist, L"Bj\u00F6rk");
  EXPECT_EQ(e.album, L"\u65E5\u672C");
  EXPECT_EQ(e.trackTitles.at(0), L"\U0001F3B5 note");
  // Not UTF-8: kept byte for byte as Latin-1.
  EXPECT_EQ(e.trackTitles.at(1), L"caf\u00E9 au lait");
}

TEST(CddbXmcd, GapsOrderAndHostileKeys) {
  const CddbEntry e = Parse(
      "TTITLE2=Three\nTTITLE0=One\nTTITLE05=Six\nTTITLE99=beyond a CD\nTTITLE4294967297=wrap\n"
      "TTITLE-1=neg\nTTITLEx=junk\n=no key\nno equals sign\nDTITLE=D\n");
  ASSERT_EQ(e.trackTitles.size(), 6u);
  EXPECT_EQ(e.trackTitles[0], L"One");
  EXPECT_EQ(e.trackTitles[1], L"");
  EXPECT_EQ(e.trackTitles[2], L"Three");
  EXPECT_EQ(e.trackTitles[5], L"Six");
  std::string err;
  CddbEntry none;
  EXPECT_FALSE(CddbParseXmcd("# only comments\nDYEAR=2000\n", none, err));
  EXPECT_FALSE(err.empty());
  EXPECT_FALSE(CddbParseXmcd("", none, err));
}

TEST(CddbXmcd, NulBytesAreDropped) {
  const CddbEntry e = Parse(std::string("DTITLE=a\0b / c\n", 15));
  EXPECT_EQ(e.discTitle, L"ab / c");
}

}  // namespace
