#include "components/cdreader/cue_sheet.h"

#include <gtest/gtest.h>

using namespace cdr;

namespace {

CueSheet Parse(const std::string& text) {
  CueSheet s;
  std::wstring err;
  EXPECT_TRUE(ParseCueSheet(text, s, err)) << std::string(err.begin(), err.end());
  return s;
}

std::wstring ParseError(const std::string& text) {
  CueSheet s;
  std::wstring err;
  EXPECT_FALSE(ParseCueSheet(text, s, err));
  return err;
}

ImageLayout Layout(const std::string& text, std::vector<uint64_t> sizes) {
  ImageLayout l;
  std::wstring err;
  EXPECT_TRUE(BuildImageLayout(Parse(text), sizes, l, err)) << std::string(err.begin(), err.end());
  return l;
}

bool Contains(const std::wstring& s, const wchar_t* part) { return s.find(part) != s.npos; }

}  // namespace

TEST(CueParse, NamesQuotedUnquotedAndWithBlanks) {
  auto s = Parse(
      "\xEF\xBB\xBFREM comment\r\n"
      "FILE \"My Disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
      "file plain.bin binary\n  track 02 audio\n    index 01 00:00:00\n"
      "FILE my other disc.bin MOTOROLA\n TRACK 3 AUDIO\n INDEX 1 0:00:00\n");
  ASSERT_EQ(s.files.size(), 3u);
  EXPECT_EQ(s.files[0].name, "My Disc.bin");
  EXPECT_EQ(s.files[1].name, "plain.bin");
  EXPECT_EQ(s.files[1].type, "BINARY");
  EXPECT_EQ(s.files[2].name, "my other disc.bin");
  EXPECT_EQ(s.files[2].type, "MOTOROLA");
  EXPECT_EQ(s.files[2].tracks[0].number, 3);
}

TEST(CueParse, IndexesPregapsAndModes) {
  auto s = Parse(
      "FILE a.bin BINARY\n TRACK 01 MODE1/2352\n  INDEX 01 00:00:00\n"
      " TRACK 02 AUDIO\n  PREGAP 00:02:00\n  INDEX 00 01:00:00\n  INDEX 01 01:02:10\n"
      "  POSTGAP 00:00:30\n");
  const auto& t = s.files[0].tracks;
  EXPECT_FALSE(t[0].audio);
  EXPECT_TRUE(t[1].audio);
  EXPECT_EQ(t[1].pregapFrames, 150u);
  EXPECT_EQ(t[1].postgapFrames, 30u);
  ASSERT_EQ(t[1].indexes.size(), 2u);
  EXPECT_EQ(t[1].indexes[0].frames, 60u * 75);
  EXPECT_EQ(t[1].indexes[1].frames, 62u * 75 + 10);
}

TEST(CueParse, ReportsTheLineOfBadInput) {
  EXPECT_TRUE(Contains(ParseError("TRACK 01 AUDIO\n"), L"line 1: TRACK before any FILE"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\n\nINDEX 01 00:00:00\n"), L"line 3"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:60:00\n"), L"mm:ss:ff"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:75\n"), L"mm:ss:ff"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n"), L"no INDEX 01"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"
                                  "TRACK 02 AUDIO\nINDEX 01 00:01:00\n"),
                       L"ascend"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:05:00\n"
                                  "INDEX 02 00:01:00\n"),
                       L"ascend"));
  EXPECT_TRUE(Contains(ParseError("FILE \"a.bin BINARY\n"), L"quote"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 01 VIDEO\n"), L"unknown track mode"));
  EXPECT_TRUE(Contains(ParseError("REM nothing\n"), L"no tracks"));
  EXPECT_TRUE(Contains(ParseError(std::string("FILE a\0b BINARY\n", 17)), L"not a text"));
  EXPECT_TRUE(Contains(ParseError("FILE a.bin BINARY\nTRACK 100 AUDIO\n"), L"1 to 99"));
}

TEST(CueLayout, PregapOfATrackIsReadWithTheTrackBeforeIt) {
  // 10 s, then a 2 s pregap (INDEX 00) and 5 s of track 2.
  auto l = Layout(
      "FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\nINDEX 00 00:10:00\nINDEX 01 00:12:00\n",
      {uint64_t(17 * 75) * 2352});
  ASSERT_EQ(l.disc.tracks.size(), 2u);
  EXPECT_EQ(l.disc.tracks[0].startLba, 0u);
  EXPECT_EQ(l.disc.tracks[0].endLba, 900u);
  EXPECT_EQ(l.disc.tracks[1].startLba, 900u);
  EXPECT_EQ(l.disc.tracks[1].endLba, 1275u);
  EXPECT_EQ(l.disc.leadOutLba, 1275u);
}

TEST(CueLayout, FirstTrackStartsAtLbaZeroAfterItsOwnPregap) {
  auto l = Layout("FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00\n",
                  {uint64_t(10 * 75) * 2352});
  EXPECT_EQ(l.disc.tracks[0].startLba, 0u);
  EXPECT_EQ(l.disc.leadOutLba, 600u);
  ASSERT_FALSE(l.segments.empty());
  EXPECT_EQ(l.segments[0].fileOffset, 150u * 2352);
}

TEST(CueLayout, SeveralFilesFollowEachOtherOnTheDisc) {
  auto l = Layout(
      "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
      "FILE b.bin BINARY\nTRACK 02 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:01:00\n"
      "FILE c.bin BINARY\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n",
      {100 * 2352, 200 * 2352, 50 * 2352});
  ASSERT_EQ(l.disc.tracks.size(), 3u);
  EXPECT_EQ(l.disc.tracks[1].startLba, 175u);  // 100 + 75 frames of pregap
  EXPECT_EQ(l.disc.tracks[0].endLba, 175u);    // runs into b.bin's pregap
  EXPECT_EQ(l.disc.tracks[2].startLba, 300u);
  EXPECT_EQ(l.disc.leadOutLba, 350u);
  ASSERT_EQ(l.segments.size(), 3u);
  EXPECT_EQ(l.segments[1].file, 1);
  EXPECT_EQ(l.segments[1].startLba, 100u);
  EXPECT_EQ(l.segments[2].fileOffset, 0u);
}

TEST(CueLayout, DataTrackIsNotAudioAndItsPregapIsNotRead) {
  auto l = Layout(
      "FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
      "TRACK 02 MODE1/2352\nINDEX 00 00:04:00\nINDEX 01 00:06:00\n"
      "TRACK 03 AUDIO\nINDEX 01 00:10:00\n",
      {uint64_t(12 * 75) * 2352});
  EXPECT_EQ(l.disc.AudioCount(), 2);
  EXPECT_EQ(l.disc.Audio(1)->endLba, 300u);  // stops at the data track's INDEX 00
  EXPECT_EQ(l.disc.Audio(2)->number, 3);
  EXPECT_EQ(l.disc.Audio(2)->startLba, 750u);
  EXPECT_EQ(l.disc.Audio(3), nullptr);
}

TEST(CueLayout, PartialTrailingSectorIsDropped) {
  auto l = Layout("FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", {10 * 2352 + 1000});
  EXPECT_EQ(l.disc.leadOutLba, 10u);
}

TEST(CueLayout, PregapCommandAddsSilence) {
  auto l = Layout(
      "FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\nPREGAP 00:01:00\nINDEX 01 00:02:00\n",
      {uint64_t(4 * 75) * 2352});
  EXPECT_EQ(l.disc.tracks[1].startLba, 225u);
  EXPECT_EQ(l.disc.leadOutLba, 375u);
  bool silence = false;
  for (const auto& s : l.segments) silence |= s.file < 0 && s.startLba == 150 && s.frames == 75;
  EXPECT_TRUE(silence);
}

TEST(CueLayout, RejectsImagesThatDoNotFit) {
  CueSheet s = Parse(
      "FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\nINDEX 01 00:10:00\n");
  ImageLayout l;
  std::wstring err;
  EXPECT_FALSE(BuildImageLayout(s, {100 * 2352}, l, err));
  EXPECT_TRUE(Contains(err, L"shorter")) << std::string(err.begin(), err.end());
  CueSheet w = Parse("FILE d.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  EXPECT_FALSE(BuildImageLayout(w, {1000}, l, err));
  EXPECT_TRUE(Contains(err, L"WAVE"));
  CueSheet late = Parse("FILE d.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:10:00\n");
  EXPECT_FALSE(BuildImageLayout(late, {75 * 2352}, l, err));
}

TEST(CuePath, RelativeNamesJoinTheSheetsFolder) {
  EXPECT_EQ(ResolveCuePath(L"C:\\discs", L"a.bin"), L"C:\\discs\\a.bin");
  EXPECT_EQ(ResolveCuePath(L"C:\\discs\\", L"sub/a.bin"), L"C:\\discs\\sub\\a.bin");
  EXPECT_EQ(ResolveCuePath(L"C:\\discs", L"D:\\x\\a.bin"), L"D:\\x\\a.bin");
  EXPECT_EQ(ResolveCuePath(L"C:\\discs", L"\\\\server\\a.bin"), L"\\\\server\\a.bin");
  EXPECT_EQ(ResolveCuePath(L"/tmp/discs", L"a.bin"), L"/tmp/discs/a.bin");
  EXPECT_EQ(ResolveCuePath(L"", L"a.bin"), L"a.bin");
}
