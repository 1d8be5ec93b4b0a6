#include "ripper/engine/progress_math.h"

#include <algorithm>
#include <cmath>

double RoundHalfEven(double x) {
  double f = std::floor(x);
  double diff = x - f;
  if (diff > 0.5) return f + 1.0;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

ReadBarWidths ReadProgressWidths(float fullWidth, int32_t perMille, int selectedTotal, int selectedOrdinal) {
  if (selectedTotal < 1) return {0.0f, 0.0f};
  if (perMille < 0) perMille = 0;
  if (perMille > 1000) perMille = 1000;
  if (selectedOrdinal < 1) selectedOrdinal = 1;
  if (selectedOrdinal > selectedTotal) selectedOrdinal = selectedTotal;
  const double full = fullWidth;
  const float track = static_cast<float>(full / 1000.0 * perMille);
  const double all = double(track) / selectedTotal + double(selectedOrdinal - 1) * full / selectedTotal;
  return {track, static_cast<float>(all)};
}

int32_t EncodePercent(int32_t done, int32_t total) {
  if (total <= 0) return 0;
  double p = RoundHalfEven(double(done) * 100.0 / double(total));
  if (p < 0) return 0;
  if (p > 100) return 100;
  return static_cast<int32_t>(p);
}

float EncodeBarWidth(float fullWidth, int32_t percent) {
  return static_cast<float>(double(fullWidth) / 100.0 * percent);
}

int32_t CombinedEncodePercent(const std::vector<EncodeAmount>& encodes) {
  if (encodes.empty()) return 0;
  if (encodes.size() == 1) return EncodePercent(encodes[0].done, encodes[0].total);
  double sum = 0;
  for (const EncodeAmount& e : encodes) {
    if (e.total <= 0) continue;
    double f = double(e.done) / double(e.total);
    sum += f < 0 ? 0 : f > 1 ? 1 : f;
  }
  return static_cast<int32_t>(RoundHalfEven(sum * 100.0 / double(encodes.size())));
}

float PipelineAllTracksWidth(float fullWidth, int selectedTotal, int readsDone, int32_t readPerMille,
                             int encodesDone, double encodeFractions) {
  if (selectedTotal < 1) return 0.0f;
  if (readPerMille < 0) readPerMille = 0;
  if (readPerMille > 1000) readPerMille = 1000;
  double steps = readsDone + readPerMille / 1000.0 + encodesDone + encodeFractions;
  const double all = 2.0 * selectedTotal;
  if (steps > all) steps = all;
  if (steps < 0) steps = 0;
  return static_cast<float>(double(fullWidth) * steps / all);
}

int LinesHoldMs(double sinceLastPaintMs, double lastPaintMs) {
  constexpr double kBurstMs = 250, kMaxMs = 2000;
  // Painting the list's scroll bar alone costs Wine's themes ~10 ms, and a
  // fast rip ends a track every second: at most half a percent of the time.
  constexpr double kPaintShare = 0.005;
  const double cost = lastPaintMs > 0 ? lastPaintMs : 0;  // NaN fails the test too
  const double since = sinceLastPaintMs > 0 ? sinceLastPaintMs : 0;
  const double gap = std::min(kMaxMs, cost / kPaintShare);
  // Rounded: 10 / 0.005 is a hair under 2000 in the 32-bit build's doubles.
  return static_cast<int>(std::lround(std::clamp(gap - since, kBurstMs, kMaxMs)));
}
