#include "ripper/ui/bitrate_table.h"

namespace {
constexpr int16_t kTable[] = {256, 224, 192, 160, 128, 112, 96, 80, 64, 56, 48, 40, 32};
}

bool IsBitRateIndex(int index) { return index >= kFirstBitRateIndex && index <= kLastBitRateIndex; }

int16_t BitRateForIndex(int index) {
  return IsBitRateIndex(index) ? kTable[index - kFirstBitRateIndex] : int16_t(0);
}

std::wstring BitRateCaption(int index) {
  if (!IsBitRateIndex(index)) return {};
  std::wstring n = std::to_wstring(BitRateForIndex(index));
  if (n.size() < 3) n.insert(0, 3 - n.size(), L'0');
  return n + L" kbit";
}

int BitRateIndexFor(int16_t kbit) {
  for (int i = kFirstBitRateIndex; i <= kLastBitRateIndex; ++i)
    if (BitRateForIndex(i) == kbit) return i;
  return 0;
}

BitRateChoice ChooseBitRate(int16_t current, int clicked) {
  if (!IsBitRateIndex(clicked)) {
    // Not one of ours: keep the rate and whichever item shows it.
    int idx = BitRateIndexFor(current);
    return {current, idx ? idx : kDefaultBitRateIndex};
  }
  return {BitRateForIndex(clicked), clicked};
}
