#include "ripper/engine/encoder_slots.h"

int ChooseEncoderSlots(int processors, const std::wstring& overrideText) {
  if (!overrideText.empty() && overrideText.size() <= 2) {
    int n = 0;
    bool digits = true;
    for (wchar_t c : overrideText) {
      if (c < L'0' || c > L'9') digits = false;
      n = n * 10 + (c - L'0');
    }
    if (digits && n >= 1 && n <= kMaxEncoderSlots) return n;
  }
  if (processors < 1) return 1;
  return processors > kMaxEncoderSlots ? kMaxEncoderSlots : processors;
}
