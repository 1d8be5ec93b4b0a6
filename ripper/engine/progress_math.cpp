#include "ripper/engine/progress_math.h"

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
