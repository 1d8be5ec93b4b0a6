#include "components/cdreader/wav_header.h"

#include <cstring>

namespace cdr {

namespace {

void Put32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

}  // namespace

std::array<uint8_t, kWavHeaderBytes> MakeWavHeader(uint64_t dataBytes) {
  constexpr uint32_t kRate = 44100, kChannels = 2, kBits = 16;
  constexpr uint32_t kBlock = kChannels * kBits / 8;
  // The RIFF size field cannot exceed 32 bits; keep the sum from wrapping.
  if (dataBytes > 0xFFFFFFFFu - 36) dataBytes = (0xFFFFFFFFu - 36) / kBlock * kBlock;
  std::array<uint8_t, kWavHeaderBytes> h{};
  std::memcpy(&h[0], "RIFF", 4);
  Put32(&h[4], uint32_t(36 + dataBytes));
  std::memcpy(&h[8], "WAVE", 4);
  std::memcpy(&h[12], "fmt ", 4);
  Put32(&h[16], 16);
  Put16(&h[20], 1);
  Put16(&h[22], kChannels);
  Put32(&h[24], kRate);
  Put32(&h[28], kRate * kBlock);
  Put16(&h[32], kBlock);
  Put16(&h[34], kBits);
  std::memcpy(&h[36], "data", 4);
  Put32(&h[40], uint32_t(dataBytes));
  return h;
}

}  // namespace cdr
