// ID3v2.3 tag written in front of the audio: TRCK, and TIT2, TPE1, TALB,
// TYER, TCON when their texts are present. Texts are UTF-16 with a byte
// order mark, so that every character of a title survives.
#pragma once
#include <cstdint>
#include <vector>

#include "ripper/engine/mp3_encoder.h"

// Longest text of one frame, in UTF-16 units; longer texts are cut.
constexpr size_t kId3MaxTextChars = 4096;

// The whole tag: header and frames, no padding. Empty when there is
// nothing to say (no track number and no text).
std::vector<uint8_t> BuildId3v2Tag(const Mp3Tags& tags);
