#include "components/cdreader/progress_pace.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds (per-mille, ms) pairs and returns the values that pass.
std::vector<int32_t> Passed(const std::vector<std::pair<int32_t, uint64_t>>& values) {
  cdr::ProgressPacer pacer(16);
  std::vector<int32_t> out;
  for (auto [pm, ms] : values)
    if (pacer.ShouldPost(pm, ms)) out.push_back(pm);
  return out;
}

TEST(ProgressPacer, AFastReadPassesTheFirstTheLastAndOnePerInterval) {
  std::vector<std::pair<int32_t, uint64_t>> fast;
  for (int32_t pm = 0; pm <= 1000; pm += 4) fast.push_back({pm, 1000 + uint64_t(pm) / 10});  // 0.1 s
  const auto passed = Passed(fast);
  EXPECT_EQ(passed.front(), 0);
  EXPECT_EQ(passed.back(), 1000);
  EXPECT_LE(passed.size(), 8u);  // 100 ms at 16 ms a value, the first and the last
  EXPECT_GE(passed.size(), 6u);
}

TEST(ProgressPacer, ASlowDriveLosesNothing) {
  std::vector<std::pair<int32_t, uint64_t>> slow;
  for (int32_t pm = 0; pm <= 1000; pm += 10) slow.push_back({pm, uint64_t(pm) * 3});  // 30 ms apart
  EXPECT_EQ(Passed(slow).size(), slow.size());
}

TEST(ProgressPacer, TheEndPassesEvenAtOnceAndOnlyValuesAfterAGap) {
  EXPECT_EQ(Passed({{0, 5}, {500, 5}, {1000, 5}}), (std::vector<int32_t>{0, 1000}));
  EXPECT_EQ(Passed({{0, 5}, {10, 20}, {20, 20}, {30, 21}}), (std::vector<int32_t>{0, 30}));
}

}  // namespace
