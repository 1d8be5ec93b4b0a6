#include "ripper/ui/form1_texts.h"

#include <gtest/gtest.h>

namespace {

int32_t Ms(int minutes, int seconds, int millis = 0) { return (minutes * 60 + seconds) * 1000 + millis; }

TEST(TrackListEntry, FormatsNumberLengthAndSize) {
  EXPECT_EQ(TrackListEntry(3, Ms(4, 5)), L"Track 03    04,05    41,2  MB");
  EXPECT_EQ(TrackListEntry(1, Ms(62, 0)), L"Track 01    62,00    625,6  MB");
  EXPECT_EQ(TrackListEntry(12, Ms(0, 59)), L"Track 12    00,59    09,9  MB");
  EXPECT_EQ(TrackListEntry(99, 0), L"Track 99    00,00    00,0  MB");
  EXPECT_EQ(TrackListEntry(100, Ms(100, 1)), L"Track 100    100,01    1009,2  MB");
}

TEST(TrackListEntry, TruncatesMillisecondsBeforeSizing) {
  // 4:05.999 is still 4 min 5 s, and its size is that of 4:05.
  EXPECT_EQ(TrackListEntry(3, Ms(4, 5, 999)), L"Track 03    04,05    41,2  MB");
  EXPECT_EQ(TrackListEntry(1, 999), L"Track 01    00,00    00,0  MB");
}

TEST(TrackListEntry, NegativeLengthShowsZero) {
  EXPECT_EQ(TrackListEntry(2, -5000), L"Track 02    00,00    00,0  MB");
}

TEST(TrackSize, RoundsToNearestTenth) {
  // 1 s = 0.168166 MB -> 0,2; 3 s = 0.5045 -> 0,5; 30 s = 5.045 -> 5,0;
  // 33 s = 5.5495 -> 5,5; 39 s = 6.5585 -> 6,6.
  EXPECT_EQ(TrackSizeTenthsMb({0, 1}), 2);
  EXPECT_EQ(TrackSizeTenthsMb({0, 3}), 5);
  EXPECT_EQ(TrackSizeTenthsMb({0, 30}), 50);
  EXPECT_EQ(TrackSizeTenthsMb({0, 33}), 55);
  EXPECT_EQ(TrackSizeTenthsMb({0, 39}), 66);
  EXPECT_EQ(TrackSizeTenthsMb({74, 0}), 7467);
}

TEST(SplitTrackLength, LargestLengthDoesNotOverflow) {
  TrackTime t = SplitTrackLength(INT32_MAX);
  EXPECT_EQ(t.minutes, 35791);
  EXPECT_EQ(t.seconds, 23);
  EXPECT_GT(TrackSizeTenthsMb(t), 0);
}

TEST(MainCaption, MinorHasTwoDigits) {
  EXPECT_EQ(MainCaption(1, 10), L"wavequill v1.10");
  EXPECT_EQ(MainCaption(1, 5), L"wavequill v1.05");
  EXPECT_EQ(MainCaption(2, 0), L"wavequill v2.00");
  EXPECT_EQ(MainCaption(10, 123), L"wavequill v10.123");
}

}  // namespace
