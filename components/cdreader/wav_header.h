// The canonical 44-byte WAV header of CD audio: PCM, 2 channels, 44.1 kHz,
// 16-bit little-endian samples.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace cdr {

constexpr size_t kWavHeaderBytes = 44;

// Lengths beyond what the 32-bit RIFF fields hold are clamped.
std::array<uint8_t, kWavHeaderBytes> MakeWavHeader(uint64_t dataBytes);

}  // namespace cdr
