// The caption text that sizes controls: a wrong rule measures the wrong
// text, and controls come out too narrow for what they draw.
#include "ripper/engine/drawn_caption.h"

#include <gtest/gtest.h>

TEST(DrawnCaption, AmpersandsMarkAccessKeys) {
  EXPECT_EQ(DrawnCaption(L"&Quit"), L"Quit");
  EXPECT_EQ(DrawnCaption(L"Make &Dir"), L"Make Dir");
  EXPECT_EQ(DrawnCaption(L"Rock && Roll"), L"Rock & Roll");
  EXPECT_EQ(DrawnCaption(L"&&&A"), L"&A");
  EXPECT_EQ(DrawnCaption(L"Ends in &"), L"Ends in &");  // nothing follows to mark
  EXPECT_EQ(DrawnCaption(L"Plain, 100%"), L"Plain, 100%");
  EXPECT_EQ(DrawnCaption(L""), L"");
}
