#include "ripper/ui/bitrate_table.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(BitRateTable, ThirteenItemsInMenuOrder) {
  const int16_t expected[] = {256, 224, 192, 160, 128, 112, 96, 80, 64, 56, 48, 40, 32};
  for (int i = kFirstBitRateIndex; i <= kLastBitRateIndex; ++i)
    EXPECT_EQ(BitRateForIndex(i), expected[i - kFirstBitRateIndex]) << "index " << i;
  EXPECT_EQ(BitRateForIndex(kDefaultBitRateIndex), 128);
}

TEST(BitRateTable, CaptionsPadToThreeDigits) {
  EXPECT_EQ(BitRateCaption(2), L"256 kbit");
  EXPECT_EQ(BitRateCaption(8), L"096 kbit");
  EXPECT_EQ(BitRateCaption(14), L"032 kbit");
  std::set<std::wstring> unique;
  for (int i = kFirstBitRateIndex; i <= kLastBitRateIndex; ++i) unique.insert(BitRateCaption(i));
  EXPECT_EQ(unique.size(), 13u);
}

TEST(BitRateTable, IndicesOutsideTheMenuHaveNoItem) {
  for (int i : {-1, 0, 1, 15, 100}) {
    EXPECT_FALSE(IsBitRateIndex(i));
    EXPECT_EQ(BitRateForIndex(i), 0);
    EXPECT_EQ(BitRateCaption(i), L"");
  }
  EXPECT_EQ(BitRateIndexFor(128), 6);
  EXPECT_EQ(BitRateIndexFor(320), 0);
}

TEST(ChooseBitRate, ClickChecksTheClickedItemOnly) {
  BitRateChoice c = ChooseBitRate(128, 10);
  EXPECT_EQ(c.bitRate, 64);
  EXPECT_EQ(c.checkedIndex, 10);
  // Clicking the checked item keeps it checked and the rate unchanged.
  c = ChooseBitRate(128, 6);
  EXPECT_EQ(c.bitRate, 128);
  EXPECT_EQ(c.checkedIndex, 6);
}

TEST(ChooseBitRate, UnknownIndexKeepsCurrentRate) {
  BitRateChoice c = ChooseBitRate(96, 1);
  EXPECT_EQ(c.bitRate, 96);
  EXPECT_EQ(c.checkedIndex, 8);
}

}  // namespace
