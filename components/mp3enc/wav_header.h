// Reads the header of a WAV file that the encoder is handed: which PCM
// layout it carries and where its samples are. No platform calls, so the
// parser is tested and fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>

// Random access to the file being parsed.
class ByteSource {
 public:
  virtual uint64_t Size() const = 0;
  // Reads up to n bytes at offset; returns how many were read.
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t n) = 0;

 protected:
  ~ByteSource() = default;
};

enum class WavStatus {
  Ok,
  NotRiffWave,  // no "RIFF....WAVE" at the start
  NoFormatChunk,
  NoDataChunk,
  NotPcm,  // compressed, float, ...
  Not16Bit,
  BadChannelCount,  // only mono and stereo are encoded
  BadSampleRate,
  BadBlockAlign,
};

struct WavInfo {
  WavStatus status = WavStatus::NotRiffWave;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  uint16_t blockAlign = 0;
  uint64_t dataOffset = 0;  // first sample byte
  uint64_t dataBytes = 0;   // clamped to the file, whole sample frames only
  uint64_t frames = 0;      // sample frames (one sample per channel)
};

WavInfo ParseWavHeader(ByteSource& source);

// ByteSource over a buffer in memory.
class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

// Sample rates the encoder takes without resampling choices of its own
// beyond LAME's: the nine MPEG audio rates.
bool IsSupportedSampleRate(uint32_t rate);
// Bit rates of MPEG-1/2/2.5 layer III, in kbit/s (8 to 320).
bool IsSupportedBitRate(int kbit);
