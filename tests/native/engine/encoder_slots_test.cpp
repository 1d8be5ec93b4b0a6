#include "ripper/engine/encoder_slots.h"

#include <gtest/gtest.h>

TEST(EncoderSlots, OnePerProcessorUpToEightAndAnOverride) {
  EXPECT_EQ(ChooseEncoderSlots(1, L""), 1);
  EXPECT_EQ(ChooseEncoderSlots(2, L""), 2);
  EXPECT_EQ(ChooseEncoderSlots(64, L""), 8);
  EXPECT_EQ(ChooseEncoderSlots(0, L""), 1);  // the count could not be had
  EXPECT_EQ(ChooseEncoderSlots(2, L"4"), 4);
  EXPECT_EQ(ChooseEncoderSlots(16, L"1"), 1);
  for (const wchar_t* bad : {L"0", L"9", L"-2", L"2x", L" 2", L"100000000000"})
    EXPECT_EQ(ChooseEncoderSlots(2, bad), 2) << bad;
}
