// How many encodes a session runs side by side.
#pragma once
#include <string>

constexpr int kMaxEncoderSlots = 8;

// One per logical processor, at most kMaxEncoderSlots, at least 1. A
// whole number 1..8 in overrideText (the WQ_ENCODERS environment variable)
// wins; anything else there is ignored.
int ChooseEncoderSlots(int processors, const std::wstring& overrideText);
