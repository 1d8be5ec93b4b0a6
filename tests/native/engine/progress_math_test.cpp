#include "ripper/engine/progress_math.h"

#include <gtest/gtest.h>

#include <cmath>

constexpr float kFull = 3495.0f;

TEST(ReadProgressWidths, SecondOfThreeHalfRead) {
  ReadBarWidths w = ReadProgressWidths(kFull, 500, 3, 2);
  EXPECT_FLOAT_EQ(w.thisTrack, 1747.5f);
  EXPECT_FLOAT_EQ(w.allTracks, 1747.5f);
}

TEST(ReadProgressWidths, EndsAndStartsOfTracks) {
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 0, 3, 1).allTracks, 0.0f);
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 1000, 3, 3).allTracks, kFull);
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 1000, 3, 3).thisTrack, kFull);
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 1, 1, 1).thisTrack, 3.495f);
}

TEST(ReadProgressWidths, OutOfRangeInputsStayInsideTheBar) {
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 1500, 2, 2).thisTrack, kFull);
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 1500, 2, 2).allTracks, kFull);
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, -3, 2, 1).thisTrack, 0.0f);
  // No session: nothing selected yet.
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 500, 0, 0).thisTrack, 0.0f);
  EXPECT_FLOAT_EQ(ReadProgressWidths(kFull, 500, 0, 0).allTracks, 0.0f);
}

TEST(EncodePercent, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(EncodePercent(25, 200), 12);  // 12.5
  EXPECT_EQ(EncodePercent(27, 200), 14);  // 13.5
  EXPECT_EQ(EncodePercent(1, 200), 0);    // 0.5
  EXPECT_EQ(EncodePercent(3, 200), 2);    // 1.5
  EXPECT_EQ(EncodePercent(1, 3), 33);
  EXPECT_EQ(EncodePercent(2, 3), 67);
  EXPECT_EQ(EncodePercent(200, 200), 100);
}

TEST(EncodePercent, LargeCountsDoNotOverflow) {
  EXPECT_EQ(EncodePercent(2000000000, 2000000000), 100);
  EXPECT_EQ(EncodePercent(1000000000, 2000000000), 50);
}

TEST(EncodePercent, BadTotalsAndOvershoot) {
  EXPECT_EQ(EncodePercent(10, 0), 0);
  EXPECT_EQ(EncodePercent(10, -4), 0);
  EXPECT_EQ(EncodePercent(300, 200), 100);
  EXPECT_EQ(EncodePercent(-5, 200), 0);
}

TEST(EncodeBarWidth, TwelvePercent) {
  EXPECT_FLOAT_EQ(EncodeBarWidth(kFull, 12), 419.4f);
  EXPECT_FLOAT_EQ(EncodeBarWidth(kFull, 100), kFull);
  EXPECT_FLOAT_EQ(EncodeBarWidth(kFull, 0), 0.0f);
}

TEST(RoundHalfEven, NegativeAndExactValues) {
  EXPECT_EQ(RoundHalfEven(-0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3.0);
  EXPECT_EQ(RoundHalfEven(7.0), 7.0);
}

TEST(PipelineBars, EncodesInFlightAndFinishedWork) {
  // One encode: exactly the one-encoder percent, halves to even included.
  EXPECT_EQ(CombinedEncodePercent({{25, 200}}), 12);
  EXPECT_EQ(CombinedEncodePercent({{27, 200}}), 14);
  // Two encodes of different lengths: the mean of their fractions.
  EXPECT_EQ(CombinedEncodePercent({{50, 200}, {300, 400}}), 50);
  EXPECT_EQ(CombinedEncodePercent({{10, 0}, {100, 100}}), 50);  // a zero total counts as nothing done
  EXPECT_EQ(CombinedEncodePercent({{500, 100}, {100, 100}}), 100);
  EXPECT_EQ(CombinedEncodePercent({}), 0);
  // Two tracks: track 1 read and half encoded, track 2 half read.
  EXPECT_FLOAT_EQ(PipelineAllTracksWidth(kFull, 2, 1, 500, 0, 0.5), kFull / 2);
  EXPECT_FLOAT_EQ(PipelineAllTracksWidth(kFull, 2, 2, 0, 2, 0.0), kFull);
  EXPECT_FLOAT_EQ(PipelineAllTracksWidth(kFull, 2, 2, 2000, 2, 3.0), kFull);  // never past full
  EXPECT_EQ(PipelineAllTracksWidth(kFull, 0, 1, 500, 0, 0.0), 0.0f);
}

TEST(LinesHold, PaintingTheListStaysASmallShareOfTheTime) {
  // Cheap painting (as on Windows): only the burst's gathering.
  EXPECT_EQ(LinesHoldMs(0, 0.3), 250);
  // 10 ms a painting just done: the next one two seconds later at the
  // earliest, and less the longer ago it was.
  EXPECT_EQ(LinesHoldMs(0, 10), 2000);
  EXPECT_EQ(LinesHoldMs(1500, 10), 500);
  EXPECT_EQ(LinesHoldMs(1900, 10), 250);
  EXPECT_EQ(LinesHoldMs(60000, 10), 250);
  EXPECT_EQ(LinesHoldMs(0, 4), 800);
  // A painting that took ages (a machine busy elsewhere) waits no longer
  // than the cap; nonsense inputs stay inside the bounds.
  EXPECT_EQ(LinesHoldMs(0, 1e9), 2000);
  for (double bad : {-1.0, std::nan(""), 1e300, -1e300}) {
    EXPECT_GE(LinesHoldMs(bad, bad), 250);
    EXPECT_LE(LinesHoldMs(bad, bad), 2000);
    EXPECT_GE(LinesHoldMs(bad, 10), 250);
    EXPECT_LE(LinesHoldMs(0, bad), 2000);
  }
}
