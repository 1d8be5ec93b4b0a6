#include "components/accuraterip/ar_checksum.h"

#include <array>

namespace ar {
namespace {

constexpr uint32_t kWindowStart = kFrame450Sector * kSamplesPerSector - kMaxShift;  // 0-based frame
constexpr uint32_t kWindowFrames = kSamplesPerSector + 2 * kMaxShift;

// Slicing-by-4 tables: the checksum is fed every byte of the rip.
std::array<std::array<uint32_t, 256>, 4> MakeCrcTables() {
  std::array<std::array<uint32_t, 256>, 4> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (int s = 1; s < 4; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  return t;
}
const auto kCrc = MakeCrcTables();

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t bytes) {
  uint32_t c = ~crc;
  while (bytes >= 4) {
    c ^= Le32(data);
    c = kCrc[3][c & 0xFF] ^ kCrc[2][(c >> 8) & 0xFF] ^ kCrc[1][(c >> 16) & 0xFF] ^ kCrc[0][c >> 24];
    data += 4;
    bytes -= 4;
  }
  while (bytes--) c = kCrc[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
  return ~c;
}

uint32_t SectorChecksum(const uint32_t* frames) {
  uint32_t sum = 0;
  for (uint32_t k = 0; k < kSamplesPerSector; ++k) sum += frames[k] * (k + 1);
  return sum;
}

TrackChecksums::TrackChecksums(uint32_t totalFrames, bool first, bool last)
    : firstCounted_(first ? kSkipFrames : 1), lastCounted_(totalFrames) {
  if (last) lastCounted_ = totalFrames > kSkipFrames ? totalFrames - kSkipFrames : 0;
  if (uint64_t(kWindowStart) + kWindowFrames <= totalFrames) window_.reserve(kWindowFrames);
}

void TrackChecksums::AddFrame(uint32_t x) {
  const uint32_t m = ++m_;
  if (m >= firstCounted_ && m <= lastCounted_) {
    const uint64_t p = uint64_t(x) * m;
    v1_ += uint32_t(p);
    v2_ += uint32_t(p) + uint32_t(p >> 32);
  }
  if (window_.capacity() && m - 1 >= kWindowStart && window_.size() < kWindowFrames) window_.push_back(x);
}

void TrackChecksums::Add(const uint8_t* pcm, size_t bytes) {
  crc_ = Crc32(crc_, pcm, bytes);
  while (carried_ && bytes) {
    carry_[carried_++] = *pcm++;
    --bytes;
    if (carried_ == 4) {
      AddFrame(Le32(carry_));
      carried_ = 0;
    }
  }
  for (; bytes >= 4; pcm += 4, bytes -= 4) AddFrame(Le32(pcm));
  while (bytes--) carry_[carried_++] = *pcm++;
}

std::vector<uint32_t> TrackChecksums::Frame450ByShift() const {
  std::vector<uint32_t> out;
  if (window_.size() != kWindowFrames) return out;
  out.reserve(2 * kMaxShift + 1);
  for (int32_t s = -kMaxShift; s <= kMaxShift; ++s) out.push_back(SectorChecksum(&window_[size_t(s + kMaxShift)]));
  return out;
}

}  // namespace ar
