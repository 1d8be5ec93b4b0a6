#include <gtest/gtest.h>

#include "menulink/integration/acquire_codes.h"
#include "menulink/integration/acquire_poll.h"
#include "menulink/integration/ocr_format.h"

namespace {

TEST(OcrFormat, CountsItemsUntilTheFirstInvalidCharacter) {
  EXPECT_EQ(OcrCountFormatItems(nullptr), 0);
  EXPECT_EQ(OcrCountFormatItems(""), 0);
  EXPECT_EQ(OcrCountFormatItems("iIrRcdsSDebvUA"), 14);
  EXPECT_EQ(OcrCountFormatItems("&S&i"), 2);
  EXPECT_EQ(OcrCountFormatItems("II x I"), 2);
  EXPECT_EQ(OcrCountFormatItems("I&"), 1) << "a lone & is not an item";
  EXPECT_EQ(OcrCountFormatItems("&&I"), 0);
}

TEST(OcrFormat, ReadsReferencesAndTypes) {
  size_t pos = 0;
  OcrFormatItem item{};
  ASSERT_TRUE(OcrReadFormatItem("&bA", &pos, &item));
  EXPECT_TRUE(item.byRef);
  EXPECT_EQ(item.letter, 'b');
  EXPECT_EQ(OcrFormatVariantType(item.letter), 11);
  ASSERT_TRUE(OcrReadFormatItem("&bA", &pos, &item));
  EXPECT_FALSE(item.byRef);
  EXPECT_EQ(OcrFormatVariantType(item.letter), 0x2000);
  EXPECT_FALSE(OcrReadFormatItem("&bA", &pos, &item));
  EXPECT_EQ(OcrFormatVariantType('s'), OcrFormatVariantType('S'));
  EXPECT_EQ(OcrFormatVariantType('x'), 0);
}

TEST(AcquireCodes, QuietCodesOfEachStep) {
  EXPECT_TRUE(IsQuietCode(-300));
  EXPECT_FALSE(IsQuietCode(-1));
  EXPECT_TRUE(IsQuietLoadImageCode(-2007));
  EXPECT_TRUE(IsQuietLoadImageCode(static_cast<int32_t>(0x1234F829u)));
  EXPECT_FALSE(IsQuietLoadImageCode(-999));
  EXPECT_TRUE(IsQuietStepCode(static_cast<int32_t>(0x7FFFFC19u)));
  EXPECT_TRUE(IsQuietStepCode(-300));
  EXPECT_FALSE(IsQuietStepCode(-2007));
  EXPECT_TRUE(IsQuietOptionDialogCode(-999));
  EXPECT_FALSE(IsQuietOptionDialogCode(static_cast<int32_t>(0x0001FC19u))) << "only exactly -999";
  EXPECT_TRUE(IsSilentSessionFailure(-1));
  EXPECT_FALSE(IsSilentSessionFailure(5));
  EXPECT_TRUE(IsNoPasteCode(static_cast<int32_t>(0x0003FC19u)));
  EXPECT_FALSE(IsNoPasteCode(-1));
}

TEST(AcquireCodes, OptionDialogArgumentFollowsTheEngineVersion) {
  EXPECT_EQ(OptionDialogArgument(0), 87);
  EXPECT_EQ(OptionDialogArgument(299), 87);
  EXPECT_EQ(OptionDialogArgument(300), 6226);
  EXPECT_EQ(OptionDialogArgument(-1), 6226) << "read as unsigned";
}

struct FakeServer {
  int busyAnswers;  // answers 1 this many times, then 0; -1: never idle
  int calls = 0;
};
uint32_t fakeClock;
int32_t FakeBusy(void* p) {
  auto* s = static_cast<FakeServer*>(p);
  ++s->calls;
  fakeClock += 7;
  return s->busyAnswers < 0 || s->calls <= s->busyAnswers ? 1 : 0;
}
uint32_t FakeNow() { return fakeClock; }

TEST(BusyPoll, EndsAtIdleOrAtTheLimit) {
  FakeServer ready{3};
  fakeClock = 0;
  EXPECT_TRUE(PollUntilNotBusy(FakeBusy, &ready, FakeNow, 1000));
  EXPECT_EQ(ready.calls, 4);

  FakeServer never{-1};
  fakeClock = 0xFFFFFF00u;  // the tick counter wraps during the wait
  EXPECT_FALSE(PollUntilNotBusy(FakeBusy, &never, FakeNow, 1000));
  EXPECT_GE(never.calls * 7, 1000);
  EXPECT_LT(never.calls * 7, 1000 + 14);
}

}  // namespace
