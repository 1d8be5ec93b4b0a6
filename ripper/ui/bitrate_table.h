// The "Bitrate" menu: items with indices 2 to 14, each a kbit/s value.
#pragma once
#include <cstdint>
#include <string>

constexpr int kFirstBitRateIndex = 2;
constexpr int kLastBitRateIndex = 14;
constexpr int kDefaultBitRateIndex = 6;  // 128 kbit, checked at start

bool IsBitRateIndex(int index);
// kbit/s for a menu index; 0 when the index has no item.
int16_t BitRateForIndex(int index);
// Menu caption, e.g. "096 kbit"; empty when the index has no item.
std::wstring BitRateCaption(int index);
// Menu index that carries kbit; 0 when none does.
int BitRateIndexFor(int16_t kbit);

// What a click on menu item `clicked` leaves: the new bit rate (unchanged
// when the index is unknown) and the one item to be checked.
struct BitRateChoice {
  int16_t bitRate;
  int checkedIndex;
};
BitRateChoice ChooseBitRate(int16_t current, int clicked);
