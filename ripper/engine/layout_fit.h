// Growing a twips layout where a text needs more room than the design gave
// it: the box grows, what stands after it moves along, and what reaches
// the same edge (the frame around it, the frames of its column, the lists
// filling a frame) grows with it, so that the columns stay aligned.
#pragma once
#include <vector>

struct FitBox {
  int left = 0, top = 0, right = 0, bottom = 0;  // pixels, in one parent
  int needWidth = 0, needHeight = 0;             // 0: no text to fit
  bool moves = false;  // a button: moves along instead of stretching
};

// Grows boxes until every need is met. slack is how near (in pixels) a
// box's edge must be to a growing edge to follow it. Returns how far the
// right-most and the bottom-most edges went out.
struct FitGrowth {
  int right = 0, bottom = 0;
};
FitGrowth GrowToFit(std::vector<FitBox>& boxes, int slack);
