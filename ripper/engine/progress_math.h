// Progress-bar widths in twips. Computed in double, stored as float, as the
// bars keep single-precision widths.
#pragma once
#include <cstdint>
#include <vector>

struct ReadBarWidths {
  float thisTrack;  // Shape2
  float allTracks;  // Shape1
};

// perMille is clamped to 0..1000. With no session (selectedTotal < 1) there
// is nothing to show: both widths are 0.
ReadBarWidths ReadProgressWidths(float fullWidth, int32_t perMille, int selectedTotal, int selectedOrdinal);

// done * 100 / total rounded to the nearest integer, halves to the even
// neighbour; clamped to 0..100. A total of 0 or less gives 0.
int32_t EncodePercent(int32_t done, int32_t total);
float EncodeBarWidth(float fullWidth, int32_t percent);

// Round half to even, independent of the FPU rounding mode.
double RoundHalfEven(double x);

// Encodes side by side: the mean of their done/total fractions as a
// percent, rounded as EncodePercent. One encode gives EncodePercent.
struct EncodeAmount {
  int32_t done, total;
};
int32_t CombinedEncodePercent(const std::vector<EncodeAmount>& encodes);

// The all-tracks bar when reads and encodes overlap: a track is half read,
// half encoded. readsDone/encodesDone: finished steps (a track that is not
// encoded counts its encode as done); readPerMille: the running read;
// encodeFractions: the sum of the running encodes' done/total.
float PipelineAllTracksWidth(float fullWidth, int selectedTotal, int readsDone, int32_t readPerMille,
                             int encodesDone, double encodeFractions);

// How long a new burst of log lines is held before the list is painted, in
// ms: long enough to gather the burst, and so long after the last painting
// (which took lastPaintMs) that painting the list takes at most a small share
// of the time; never longer than a couple of seconds. Negative or NaN inputs
// count as 0.
int LinesHoldMs(double sinceLastPaintMs, double lastPaintMs);
