// Checksums that prove a ripped track: AccurateRip v1 and v2, the sector-450
// checksum the database keeps for finding a drive's read offset, and CRC32.
// Pure arithmetic over 16-bit stereo PCM, fed in any pieces.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ar {

constexpr uint32_t kSamplesPerSector = 588;  // stereo frames of one CDDA sector
// Frames left out at the disc's first track's start (m < 2940) and its last
// track's end.
constexpr uint32_t kSkipFrames = 5 * kSamplesPerSector;
constexpr uint32_t kFrame450Sector = 450;
constexpr int32_t kMaxShift = 2939;

// CRC32 with zlib's polynomial; start with 0 and feed on.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t bytes);

// Sigma x[k]*(k+1) over one sector's 588 frames.
uint32_t SectorChecksum(const uint32_t* frames);

class TrackChecksums {
 public:
  // totalFrames: the track's length in stereo frames. first/last: the track
  // is the disc's first or last audio track (both for a one-track disc).
  TrackChecksums(uint32_t totalFrames, bool first, bool last);
  // The track's bytes in order, split anywhere.
  void Add(const uint8_t* pcm, size_t bytes);

  uint32_t V1() const { return v1_; }
  uint32_t V2() const { return v2_; }
  uint32_t Crc() const { return crc_; }
  // Sector 450's checksum with the audio shifted by s = -kMaxShift..kMaxShift
  // frames, at index s + kMaxShift; empty when the track is too short.
  std::vector<uint32_t> Frame450ByShift() const;

 private:
  void AddFrame(uint32_t x);
  void AddFrames(const uint8_t* pcm, size_t n);

  uint32_t firstCounted_;  // 1-based m of the first frame that counts
  uint32_t lastCounted_;   // 1-based m of the last frame that counts
  uint32_t m_ = 0;         // frames seen
  uint32_t v1_ = 0, v2_ = 0, crc_ = 0;
  uint8_t carry_[4] = {};
  size_t carried_ = 0;
  std::vector<uint32_t> window_;  // frames around sector 450
};

}  // namespace ar
