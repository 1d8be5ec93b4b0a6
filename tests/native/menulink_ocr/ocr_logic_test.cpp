#include <gtest/gtest.h>

#include <vector>

#include "menulink/integration/acquire_rules.h"
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
std::vector<uint32_t> pauses;
int32_t FakeBusy(void* p) {
  auto* s = static_cast<FakeServer*>(p);
  ++s->calls;
  fakeClock += 1;  // a quick answer: the waiting is the pause's
  return s->busyAnswers < 0 || s->calls <= s->busyAnswers ? 1 : 0;
}
uint32_t FakeNow() { return fakeClock; }
void FakePause(uint32_t ms) {
  pauses.push_back(ms);
  fakeClock += ms;
}

TEST(BusyPoll, EndsAtIdleOrAtTheLimitAndPausesBetweenQuestions) {
  FakeServer ready{3};
  fakeClock = 0;
  pauses.clear();
  EXPECT_TRUE(PollUntilNotBusy(FakeBusy, &ready, FakeNow, FakePause, 1000, 100));
  EXPECT_EQ(ready.calls, 4);
  EXPECT_EQ(pauses, (std::vector<uint32_t>{100, 100, 100}));

  // A server that never becomes idle is asked about ten times a second, not
  // tens of thousands of times, and the wait still ends at the limit even
  // though the tick counter wraps meanwhile.
  FakeServer never{-1};
  fakeClock = 0xFFFFFF00u;
  pauses.clear();
  EXPECT_FALSE(PollUntilNotBusy(FakeBusy, &never, FakeNow, FakePause, 60000, 100));
  EXPECT_LE(never.calls, 60000 / 100 + 1);
  EXPECT_GE(never.calls, 60000 / 101);
  // The last pause ends at the limit; one last question follows it.
  EXPECT_EQ(fakeClock - 0xFFFFFF00u, 60001u);
}

}  // namespace
