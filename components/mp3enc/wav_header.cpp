#include "components/mp3enc/wav_header.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint16_t kFormatPcm = 0x0001;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// KSDATAFORMAT_SUBTYPE_PCM after its first two bytes (which repeat the tag).
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// Crafted files of tiny chunks must not keep us walking for ever.
constexpr int kMaxChunks = 4096;

WavStatus CheckFormat(const uint8_t* fmt, uint32_t size, WavInfo& info) {
  uint16_t tag = Le16(fmt);
  info.channels = Le16(fmt + 2);
  info.sampleRate = Le32(fmt + 4);
  info.blockAlign = Le16(fmt + 12);
  info.bitsPerSample = Le16(fmt + 14);
  if (tag == kFormatExtensible) {
    // cbSize(2) validBits(2) channelMask(4) subFormat(16)
    if (size < 40 || Le16(fmt + 16) < 22) return WavStatus::NotPcm;
    if (Le16(fmt + 24) != kFormatPcm || std::memcmp(fmt + 26, kPcmGuidTail, 14) != 0)
      return WavStatus::NotPcm;
    uint16_t valid = Le16(fmt + 18);
    if (valid != 0 && valid != 16) return WavStatus::Not16Bit;
  } else if (tag != kFormatPcm) {
    return WavStatus::NotPcm;
  }
  if (info.bitsPerSample != 16) return WavStatus::Not16Bit;
  if (info.channels != 1 && info.channels != 2) return WavStatus::BadChannelCount;
  if (!IsSupportedSampleRate(info.sampleRate)) return WavStatus::BadSampleRate;
  if (info.blockAlign != info.channels * 2) return WavStatus::BadBlockAlign;
  return WavStatus::Ok;
}

}  // namespace

size_t MemoryByteSource::ReadAt(uint64_t offset, void* buffer, size_t n) {
  if (offset >= size_) return 0;
  size_t count = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
  std::memcpy(buffer, data_ + offset, count);
  return count;
}

bool IsSupportedSampleRate(uint32_t rate) {
  switch (rate) {
    case 8000:
    case 11025:
    case 12000:
    case 16000:
    case 22050:
    case 24000:
    case 32000:
    case 44100:
    case 48000:
      return true;
    default:
      return false;
  }
}

bool IsSupportedBitRate(int kbit) {
  switch (kbit) {
    case 8:
    case 16:
    case 24:
    case 32:
    case 40:
    case 48:
    case 56:
    case 64:
    case 80:
    case 96:
    case 112:
    case 128:
    case 144:
    case 160:
    case 192:
    case 224:
    case 256:
    case 320:
      return true;
    default:
      return false;
  }
}

WavInfo ParseWavHeader(ByteSource& source) {
  WavInfo info;
  const uint64_t size = source.Size();
  uint8_t head[12];
  if (source.ReadAt(0, head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WAVE", 4) != 0) {
    info.status = WavStatus::NotRiffWave;
    return info;
  }
  // The RIFF size is often wrong (0 or ~0 from streaming writers), so the
  // chunks are walked up to the real end of the file instead.
  bool haveFormat = false, haveData = false;
  WavStatus formatStatus = WavStatus::NoFormatChunk;
  uint64_t dataOffset = 0, dataSize = 0;
  uint64_t pos = 12;
  for (int n = 0; n < kMaxChunks && pos + 8 <= size && !(haveFormat && haveData); ++n) {
    uint8_t chunk[8];
    if (source.ReadAt(pos, chunk, 8) != 8) break;
    const uint32_t chunkSize = Le32(chunk + 4);
    const uint64_t body = pos + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
      uint8_t fmt[40] = {};
      const uint32_t want = std::min<uint32_t>(chunkSize, sizeof fmt);
      if (chunkSize < 16 || source.ReadAt(body, fmt, want) != want) {
        formatStatus = WavStatus::NoFormatChunk;
        break;
      }
      formatStatus = CheckFormat(fmt, chunkSize, info);
      haveFormat = true;
      if (formatStatus != WavStatus::Ok) break;
    } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
      dataOffset = body;
      dataSize = std::min<uint64_t>(chunkSize, size - body);
      haveData = true;
    }
    // Chunks are padded to an even length.
    pos = body + chunkSize + (chunkSize & 1u);
  }
  if (!haveFormat || formatStatus != WavStatus::Ok) {
    info.status = haveFormat ? formatStatus : WavStatus::NoFormatChunk;
    return info;
  }
  if (!haveData) {
    info.status = WavStatus::NoDataChunk;
    return info;
  }
  info.dataOffset = dataOffset;
  info.frames = dataSize / info.blockAlign;
  info.dataBytes = info.frames * info.blockAlign;
  info.status = WavStatus::Ok;
  return info;
}
