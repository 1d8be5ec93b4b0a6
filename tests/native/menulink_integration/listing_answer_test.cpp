// The answer a window's own process leaves for the listing: only the
// answer to this very question counts, and a language survives the trip.

#include <gtest/gtest.h>

#include "menulink/integration/listing_answer.h"

TEST(ListingAnswer, OnlyTheAnswerToThisQuestionIsTaken) {
  const uint32_t q = ListingQuestionNumber(0x12345678);
  bool yes = false;
  int32_t language = -1;
  ASSERT_TRUE(DecodeListingAnswer(EncodeListingAnswer(q, true, 15), q, &yes, &language));
  EXPECT_TRUE(yes);
  EXPECT_EQ(language, 15);
  // English (0) is a yes, not the missing answer.
  ASSERT_TRUE(DecodeListingAnswer(EncodeListingAnswer(q, true, 0), q, &yes, &language));
  EXPECT_TRUE(yes);
  EXPECT_EQ(language, 0);
  ASSERT_TRUE(DecodeListingAnswer(EncodeListingAnswer(q, false, 4), q, &yes, &language));
  EXPECT_FALSE(yes);

  // A window never asked has no property (0); an earlier question's answer
  // and a garbled one are refused.
  EXPECT_FALSE(DecodeListingAnswer(0, q, &yes, &language));
  EXPECT_FALSE(DecodeListingAnswer(EncodeListingAnswer(q + 1, true, 2), q, &yes, &language));
  EXPECT_FALSE(DecodeListingAnswer(q << 8, q, &yes, &language));
  // Question numbers are never 0, even from a seed that masks to 0.
  EXPECT_NE(ListingQuestionNumber(0x01000000), 0u);
}
