#include "ripper/engine/layout_fit.h"

#include <algorithm>

namespace {

// One axis of a box, so that both directions share one rule.
struct Span {
  int* lo;
  int* hi;
  int need;
  bool moves;
};

Span Horizontal(FitBox& b) { return {&b.left, &b.right, b.needWidth, b.moves}; }
Span Vertical(FitBox& b) { return {&b.top, &b.bottom, b.needHeight, b.moves}; }

template <typename Axis>
int GrowAxis(std::vector<FitBox>& boxes, int slack, Axis axis) {
  int far = 0;
  for (FitBox& b : boxes) far = std::max(far, *axis(b).hi);
  const int farBefore = far;
  // Each pass widens one box; a bounded number of passes keeps a layout
  // whose needs feed each other from running for ever.
  for (size_t pass = 0; pass < boxes.size() * 4; ++pass) {
    FitBox* grow = nullptr;
    for (FitBox& b : boxes) {
      Span s = axis(b);
      if (s.need > *s.hi - *s.lo) {
        grow = &b;
        break;
      }
    }
    if (!grow) break;
    Span g = axis(*grow);
    const int edge = *g.hi, by = g.need - (*g.hi - *g.lo);
    *g.hi += by;
    for (FitBox& o : boxes) {
      if (&o == grow) continue;
      Span s = axis(o);
      if (*s.lo >= edge) {
        // Wholly after the edge: moves along.
        *s.lo += by;
        *s.hi += by;
      } else if (*s.hi >= edge) {
        // Reaches over the edge (the frame around it, the column): grows.
        *s.hi += by;
      } else if (*s.hi >= edge - slack) {
        // Ends just short of it, as a list filling its frame does.
        if (s.moves) *s.lo += by;
        *s.hi += by;
      }
    }
  }
  for (FitBox& b : boxes) far = std::max(far, *axis(b).hi);
  return far - farBefore;
}

}  // namespace

FitGrowth GrowToFit(std::vector<FitBox>& boxes, int slack) {
  FitGrowth g;
  g.right = GrowAxis(boxes, slack, Horizontal);
  g.bottom = GrowAxis(boxes, slack, Vertical);
  return g;
}
