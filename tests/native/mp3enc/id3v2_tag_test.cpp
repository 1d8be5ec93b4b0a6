#include "components/mp3enc/id3v2_tag.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Reads the tag back: frame id -> text, checking the layout on the way.
std::map<std::string, std::u16string> ParseTag(const std::vector<uint8_t>& tag) {
  std::map<std::string, std::u16string> frames;
  EXPECT_GE(tag.size(), 10u);
  if (tag.size() < 10) return frames;
  EXPECT_EQ(std::string(tag.begin(), tag.begin() + 3), "ID3");
  EXPECT_EQ(tag[3], 3);  // version 2.3.0
  EXPECT_EQ(tag[4], 0);
  EXPECT_EQ(tag[5], 0);  // no flags
  uint32_t size = 0;
  for (int i = 6; i < 10; ++i) {
    EXPECT_EQ(tag[i] & 0x80, 0) << "size byte " << i << " not synchsafe";
    size = (size << 7) | tag[i];
  }
  EXPECT_EQ(size, tag.size() - 10);
  size_t at = 10;
  while (at + 10 <= tag.size()) {
    std::string id(tag.begin() + at, tag.begin() + at + 4);
    uint32_t n = (uint32_t(tag[at + 4]) << 24) | (uint32_t(tag[at + 5]) << 16) |
                 (uint32_t(tag[at + 6]) << 8) | tag[at + 7];
    EXPECT_EQ(tag[at + 8], 0);
    EXPECT_EQ(tag[at + 9], 0);
    at += 10;
    EXPECT_LE(at + n, tag.size()) << id;
    if (at + n > tag.size()) break;
    EXPECT_GE(n, 5u);
    EXPECT_EQ(n % 2, 1u) << id;
    EXPECT_EQ(tag[at], 1) << id << ": UTF-16 with BOM";
    EXPECT_EQ(tag[at + 1], 0xFF);
    EXPECT_EQ(tag[at + 2], 0xFE);
    EXPECT_EQ(tag[at + n - 2], 0);
    EXPECT_EQ(tag[at + n - 1], 0);
    std::u16string text;
    for (size_t i = at + 3; i + 1 < at + n - 2; i += 2) text.push_back(char16_t(tag[i] | (tag[i + 1] << 8)));
    EXPECT_EQ(frames.count(id), 0u) << id << " twice";
    frames[id] = text;
    at += n;
  }
  EXPECT_EQ(at, tag.size());
  return frames;
}

TEST(Id3v2Tag, TrackNumberAloneWithoutCddb) {
  Mp3Tags t;
  t.track = 3;
  t.trackCount = 12;
  auto f = ParseTag(BuildId3v2Tag(t));
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f["TRCK"], u"3/12");

  t.trackCount = 0;
  EXPECT_EQ(ParseTag(BuildId3v2Tag(t))["TRCK"], u"3");
  // Exact bytes of the smallest tag: header, TRCK frame of "3".
  const std::vector<uint8_t> expected = {'I', 'D', '3', 3, 0, 0, 0, 0,    0,    17,  'T', 'R', 'C', 'K',
                                         0,   0,   0,   7, 0, 0, 1, 0xFF, 0xFE, '3', 0,   0,   0};
  EXPECT_EQ(BuildId3v2Tag(t), expected);

  EXPECT_TRUE(BuildId3v2Tag(Mp3Tags()).empty());
}

TEST(Id3v2Tag, AllTextFramesKeepEveryCharacter) {
  Mp3Tags t;
  t.track = 1;
  t.trackCount = 2;
  t.title = std::wstring(L"AC/DC: \"..\\x\" \u00e9\u65e5 ") + wchar_t(0xD83C) + wchar_t(0xDFB5);
  t.artist = L"Art\u00efst";
  t.album = L"Album / Part";
  t.year = L"1999";
  t.genre = L"Rock";
  auto f = ParseTag(BuildId3v2Tag(t));
  EXPECT_EQ(f.size(), 6u);
  EXPECT_EQ(f["TIT2"], u"AC/DC: \"..\\x\" \u00e9\u65e5 \U0001F3B5");
  EXPECT_EQ(f["TPE1"], u"Art\u00efst");
  EXPECT_EQ(f["TALB"], u"Album / Part");
  EXPECT_EQ(f["TYER"], u"1999");
  EXPECT_EQ(f["TCON"], u"Rock");
}

TEST(Id3v2Tag, DoubtfulTextsAreLeftOutOrEscaped) {
  Mp3Tags t;
  t.track = 1;
  t.year = L"99";  // TYER takes exactly four digits
  t.genre = L"(live)";
  auto f = ParseTag(BuildId3v2Tag(t));
  EXPECT_EQ(f.count("TYER"), 0u);
  EXPECT_EQ(f["TCON"], u"((live)");
  t.year = L"19a9";
  EXPECT_EQ(ParseTag(BuildId3v2Tag(t)).count("TYER"), 0u);
}

TEST(Id3v2Tag, OversizedTextsAreCutWithoutSplittingPairs) {
  Mp3Tags t;
  t.track = 1;
  t.title = std::wstring(kId3MaxTextChars - 1, L'a') + wchar_t(0xD83C) + wchar_t(0xDFB5) +
            std::wstring(100000, L'b');
  auto f = ParseTag(BuildId3v2Tag(t));
  EXPECT_EQ(f["TIT2"], std::u16string(kId3MaxTextChars - 1, u'a'));
}

}  // namespace
