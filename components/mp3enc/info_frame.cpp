#include "components/mp3enc/info_frame.h"

#include <cstring>

namespace {

constexpr uint16_t kKbitMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr uint16_t kKbitMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr uint32_t kRateMpeg1[3] = {44100, 48000, 32000};
// "Info" + flags + frames + bytes + TOC(100) + quality, then LAME's 36 bytes.
constexpr size_t kTagBytes = 120 + 36;

struct Layout {
  bool mpeg1 = false;
  uint32_t rate = 0;
  size_t sideInfo = 0;
  int bitrateIndex = 0;
  size_t frameSize = 0;
};

bool Parse(const uint8_t h[4], Layout& l) {
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
  const int version = (h[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const int layer = (h[1] >> 1) & 3;    // 1: layer III
  const int rateIndex = (h[2] >> 2) & 3;
  if (version == 1 || layer != 1 || rateIndex == 3) return false;
  l.mpeg1 = version == 3;
  l.rate = kRateMpeg1[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const bool mono = (h[3] >> 6) == 3;
  l.sideInfo = l.mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  const uint16_t* kbit = l.mpeg1 ? kKbitMpeg1 : kKbitMpeg2;
  const uint32_t coefficient = l.mpeg1 ? 144000 : 72000;
  // The smallest bit rate whose frame holds header, side info and tag.
  for (int i = 1; i < 15; ++i) {
    const size_t size = coefficient * kbit[i] / l.rate;
    if (size >= 4 + l.sideInfo + kTagBytes) {
      l.bitrateIndex = i;
      l.frameSize = size;
      return true;
    }
  }
  return false;
}

void Be32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24), p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8), p[3] = static_cast<uint8_t>(v);
}

}  // namespace

namespace {

// The reflected CRC-16 (polynomial 0xA001) a byte at a time: it runs over
// every byte of the encoded audio.
struct CrcTable {
  uint16_t entry[256] = {};
  constexpr CrcTable() {
    for (int i = 0; i < 256; ++i) {
      uint16_t crc = static_cast<uint16_t>(i);
      for (int b = 0; b < 8; ++b) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
      entry[i] = crc;
    }
  }
};
constexpr CrcTable kCrcTable;

}  // namespace

uint16_t Crc16Update(uint16_t crc, const uint8_t* data, size_t n) {
  for (size_t i = 0; i < n; ++i)
    crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable.entry[(crc ^ data[i]) & 0xFF]);
  return crc;
}

bool LameReservesInfoFrame(bool mpeg1, uint32_t outRate, int kbit, bool mono) {
  if (outRate == 0 || kbit <= 0) return false;
  const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  const size_t frame = static_cast<size_t>(mpeg1 ? 144000 : 72000) * static_cast<size_t>(kbit) / outRate;
  return frame >= 4 + sideInfo + kTagBytes;
}

size_t InfoFrameSize(const uint8_t header[4]) {
  Layout l;
  return Parse(header, l) ? l.frameSize : 0;
}

uint32_t SamplesPerFrame(const uint8_t header[4]) {
  Layout l;
  if (!Parse(header, l)) return 0;
  return l.mpeg1 ? 1152 : 576;
}

int PaddingForLength(uint64_t samples, uint32_t frames, uint32_t samplesPerFrame, uint32_t delay) {
  const uint64_t coded = static_cast<uint64_t>(frames) * samplesPerFrame;
  if (coded < samples + delay) return -1;
  const uint64_t padding = coded - samples - delay;
  return padding < 4096 ? static_cast<int>(padding) : -1;
}

std::vector<uint8_t> BuildInfoFrame(const uint8_t header[4], const InfoFrameFields& f) {
  Layout l;
  if (!Parse(header, l)) return {};
  std::vector<uint8_t> frame(l.frameSize, 0);
  uint8_t* p = frame.data();
  p[0] = 0xFF;
  p[1] = static_cast<uint8_t>(header[1] | 0x01);  // no CRC
  p[2] = static_cast<uint8_t>((l.bitrateIndex << 4) | (header[2] & 0x0C) | (header[2] & 0x01));
  p[3] = header[3];

  uint8_t* t = p + 4 + l.sideInfo;
  std::memcpy(t, "Info", 4);
  Be32(t + 4, 0x0F);  // frames, bytes, TOC and quality present
  Be32(t + 8, f.frames);
  Be32(t + 12, f.streamBytes);
  // Constant bit rate: the byte offset grows linearly with time.
  for (int i = 0; i < 100; ++i) t[16 + i] = static_cast<uint8_t>(i * 256 / 100);
  Be32(t + 116, 0);

  uint8_t* x = t + 120;
  std::memcpy(x, "LAME3.100", 9);
  x[9] = 0x01;  // tag revision 0, constant bit rate
  x[10] = f.lowpassHundredsHz;
  // x[11..18]: no ReplayGain values, x[19]: no flags
  x[20] = f.kbit;
  x[21] = static_cast<uint8_t>(f.delay >> 4);
  x[22] = static_cast<uint8_t>(((f.delay & 0x0F) << 4) | ((f.padding >> 8) & 0x0F));
  x[23] = static_cast<uint8_t>(f.padding);
  Be32(x + 28, f.streamBytes);
  x[32] = static_cast<uint8_t>(f.musicCrc >> 8);
  x[33] = static_cast<uint8_t>(f.musicCrc);
  const uint16_t crc = Crc16Update(0, p, static_cast<size_t>(x + 34 - p));
  x[34] = static_cast<uint8_t>(crc >> 8);
  x[35] = static_cast<uint8_t>(crc);
  return frame;
}
