// Growing a layout around texts that need more room: the main window's
// right column (three frames, lists and buttons in them) is the case that
// can go wrong in every way at once.
#include "ripper/engine/layout_fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

FitBox Box(int l, int t, int w, int h, int needW = 0, int needH = 0, bool moves = false) {
  FitBox b;
  b.left = l;
  b.top = t;
  b.right = l + w;
  b.bottom = t + h;
  b.needWidth = needW;
  b.needHeight = needH;
  b.moves = moves;
  return b;
}

// The main window at 96 DPI, in pixels.
enum { kFrame1, kList1, kFrame2, kList2, kFrame3, kText2, kMakeDir, kFrame4, kStart, kQuit, kAbout, kCount };
std::vector<FitBox> MainWindow() {
  std::vector<FitBox> b(kCount);
  b[kFrame1] = Box(0, 0, 273, 377);
  b[kList1] = Box(8, 16, 257, 319);
  b[kFrame2] = Box(280, 0, 257, 137);
  b[kList2] = Box(288, 16, 241, 82);
  b[kFrame3] = Box(280, 144, 257, 169);
  b[kText2] = Box(400, 168, 129, 21);
  b[kMakeDir] = Box(472, 288, 57, 17, 0, 0, true);
  b[kFrame4] = Box(280, 320, 257, 57);
  b[kStart] = Box(296, 344, 65, 25, 0, 0, true);
  b[kQuit] = Box(456, 344, 65, 25, 0, 0, true);
  b[kAbout] = Box(376, 344, 65, 25, 0, 0, true);
  return b;
}

TEST(GrowToFit, AWideFrameCaptionWidensItsColumnAndWhatFillsIt) {
  std::vector<FitBox> b = MainWindow();
  b[kFrame2].needWidth = 301;  // 44 more than the design
  FitGrowth g = GrowToFit(b, 9);
  EXPECT_EQ(g.right, 44);
  EXPECT_EQ(g.bottom, 0);
  EXPECT_EQ(b[kFrame2].right - b[kFrame2].left, 301);
  // The frames of the column keep one right edge.
  EXPECT_EQ(b[kFrame3].right, b[kFrame2].right);
  EXPECT_EQ(b[kFrame4].right, b[kFrame2].right);
  // Lists and text boxes that fill their frame stretch; a button at the
  // edge moves along and keeps its width.
  EXPECT_EQ(b[kList2].right, 529 + 44);
  EXPECT_EQ(b[kText2].left, 400);
  EXPECT_EQ(b[kText2].right, 529 + 44);
  EXPECT_EQ(b[kMakeDir].left, 472 + 44);
  EXPECT_EQ(b[kMakeDir].right - b[kMakeDir].left, 57);
  // Nothing left of the column moves; buttons away from the edge stay.
  EXPECT_EQ(b[kFrame1].right, 273);
  EXPECT_EQ(b[kList1].right, 265);
  EXPECT_EQ(b[kStart].left, 296);
  EXPECT_EQ(b[kQuit].left, 456);
  EXPECT_EQ(b[kAbout].left, 376);
  EXPECT_EQ(b[kFrame2].top, 0);
  EXPECT_EQ(b[kFrame2].bottom, 137);
}

TEST(GrowToFit, TheLeftColumnPushesTheRightOneAlongAndSeveralNeedsAddUp) {
  std::vector<FitBox> b = MainWindow();
  b[kFrame1].needWidth = 283;   // 10 more
  b[kMakeDir].needWidth = 60;   // 3 more, inside the right column
  b[kMakeDir].needHeight = 18;  // 1 more
  FitGrowth g = GrowToFit(b, 9);
  EXPECT_EQ(b[kFrame1].right, 283);
  EXPECT_EQ(b[kFrame2].left, 290);  // moved, not stretched
  // Quit sits at the right edge of its frame, which Make Dir's column
  // widened: it follows that edge too.
  EXPECT_EQ(b[kQuit].left, 469);
  EXPECT_EQ(b[kMakeDir].right - b[kMakeDir].left, 60);
  EXPECT_EQ(b[kMakeDir].bottom - b[kMakeDir].top, 18);
  EXPECT_EQ(b[kFrame3].right, b[kMakeDir].right + 8);  // still around it
  EXPECT_EQ(g.right, 13);
  // One pixel down: the frame below moves, the frame around grows.
  EXPECT_EQ(g.bottom, 1);
  EXPECT_EQ(b[kFrame4].top, 321);
  EXPECT_EQ(b[kFrame3].bottom, 314);
  for (const FitBox& x : b) {
    if (x.needWidth) {
      EXPECT_GE(x.right - x.left, x.needWidth);
    }
    if (x.needHeight) {
      EXPECT_GE(x.bottom - x.top, x.needHeight);
    }
  }
}

TEST(GrowToFit, WhatFitsStaysExactlyAtItsDesign) {
  std::vector<FitBox> b = MainWindow();
  b[kFrame2].needWidth = 257;  // exactly its width
  b[kStart].needWidth = 40;
  const std::vector<FitBox> design = b;
  FitGrowth g = GrowToFit(b, 9);
  EXPECT_EQ(g.right, 0);
  EXPECT_EQ(g.bottom, 0);
  for (size_t i = 0; i < b.size(); ++i) {
    EXPECT_EQ(b[i].left, design[i].left) << i;
    EXPECT_EQ(b[i].right, design[i].right) << i;
    EXPECT_EQ(b[i].top, design[i].top) << i;
    EXPECT_EQ(b[i].bottom, design[i].bottom) << i;
  }
  std::vector<FitBox> none;
  g = GrowToFit(none, 9);
  EXPECT_EQ(g.right, 0);
}

}  // namespace
