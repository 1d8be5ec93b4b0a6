#include "components/accuraterip/ar_checksum.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ar {
namespace {

constexpr uint32_t kWindowStart = kFrame450Sector * kSamplesPerSector - kMaxShift;  // 0-based frame
constexpr uint32_t kWindowFrames = kSamplesPerSector + 2 * kMaxShift;

// Slicing-by-8 tables: the checksum is fed every byte of the rip.
std::array<std::array<uint32_t, 256>, 8> MakeCrcTables() {
  std::array<std::array<uint32_t, 256>, 8> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (int s = 1; s < 8; ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  return t;
}
const auto kCrc = MakeCrcTables();

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t bytes) {
  uint32_t c = ~crc;
  while (bytes >= 8) {
    const uint32_t a = c ^ Le32(data), b = Le32(data + 4);
    c = kCrc[7][a & 0xFF] ^ kCrc[6][(a >> 8) & 0xFF] ^ kCrc[5][(a >> 16) & 0xFF] ^ kCrc[4][a >> 24] ^
        kCrc[3][b & 0xFF] ^ kCrc[2][(b >> 8) & 0xFF] ^ kCrc[1][(b >> 16) & 0xFF] ^ kCrc[0][b >> 24];
    data += 8;
    bytes -= 8;
  }
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
  if (carried_ > 0 && carried_ < sizeof carry_) {  // a frame split by the last call
    const size_t take = std::min(bytes, sizeof carry_ - carried_);
    std::memcpy(carry_ + carried_, pcm, take);
    carried_ += take;
    pcm += take;
    bytes -= take;
    if (carried_ < sizeof carry_) return;
    AddFrame(Le32(carry_));
    carried_ = 0;
  }
  AddFrames(pcm, bytes / 4);
  pcm += bytes / 4 * 4;
  bytes %= 4;
  if (bytes) {  // the carry was used up above
    for (size_t i = 0; i < bytes && i < sizeof carry_; ++i) carry_[i] = pcm[i];
    carried_ = bytes;
  }
}

// Whole frames at m_+1..m_+n: the counted stretch in one branch-free loop,
// the frames around sector 450 copied in one piece.
void TrackChecksums::AddFrames(const uint8_t* pcm, size_t n) {
  if (n == 0) return;
  const uint64_t m0 = uint64_t(m_) + 1;
  const uint64_t from = std::max<uint64_t>(m0, firstCounted_);
  const uint64_t to = std::min<uint64_t>(m0 + n - 1, lastCounted_);
  if (from <= to) {
    uint32_t lo = 0, hi = 0;
    const uint8_t* p = pcm + (from - m0) * 4;
    for (uint64_t m = from; m <= to; ++m, p += 4) {
      const uint64_t prod = uint64_t(Le32(p)) * m;
      lo += uint32_t(prod);
      hi += uint32_t(prod >> 32);
    }
    v1_ += lo;
    v2_ += lo + hi;
  }
  if (window_.capacity()) {
    // 0-based frame indices of this piece and of the window still to fill.
    const uint64_t first = m0 - 1, end = first + n;
    const uint64_t want = uint64_t(kWindowStart) + window_.size();
    const uint64_t stop = uint64_t(kWindowStart) + kWindowFrames;
    const uint64_t a = std::max(first, want), b = std::min(end, stop);
    for (uint64_t i = a; i < b; ++i) window_.push_back(Le32(pcm + (i - first) * 4));
  }
  m_ += static_cast<uint32_t>(n);
}

std::vector<uint32_t> TrackChecksums::Frame450ByShift() const {
  std::vector<uint32_t> out;
  if (window_.size() != kWindowFrames) return out;
  out.reserve(2 * kMaxShift + 1);
  for (int32_t s = -kMaxShift; s <= kMaxShift; ++s) out.push_back(SectorChecksum(&window_[size_t(s + kMaxShift)]));
  return out;
}

}  // namespace ar
