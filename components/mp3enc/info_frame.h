// The info frame (Xing "Info" tag with LAME's extension) for constant-bit-
// rate files in which LAME writes none: at low bit rates its own frame is
// too small to hold the tag, and without one decoders play the encoder's
// delay and padding as silence. Our frame takes the same layout but a bit
// rate large enough for it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Whether LAME itself reserves an info frame for constant-bit-rate audio:
// only when one frame at that bit rate holds header, side info and tag.
bool LameReservesInfoFrame(bool mpeg1, uint32_t outRate, int kbit, bool mono);

// Size of the info frame for audio whose first frame starts with `header`;
// 0 when the header is not an MPEG layer III header.
size_t InfoFrameSize(const uint8_t header[4]);

struct InfoFrameFields {
  uint32_t frames = 0;       // audio frames after the info frame
  uint32_t streamBytes = 0;  // info frame plus audio
  uint16_t delay = 0;        // samples the decoder drops at the start
  uint16_t padding = 0;      // and at the end
  uint16_t musicCrc = 0;     // CRC-16 of the audio frames
  uint8_t kbit = 0;          // the constant bit rate (255 and up: 255)
  uint8_t lowpassHundredsHz = 0;
};

// Builds the frame (InfoFrameSize bytes); empty when the header is invalid.
std::vector<uint8_t> BuildInfoFrame(const uint8_t header[4], const InfoFrameFields& f);

// CRC-16 as the LAME tag uses it (polynomial 0x8005, reflected, from 0).
uint16_t Crc16Update(uint16_t crc, const uint8_t* data, size_t n);

// Padding that makes the decoded length `samples`, given the frames, the
// samples per frame and the delay; -1 when it would not fit the tag's 12 bits.
int PaddingForLength(uint64_t samples, uint32_t frames, uint32_t samplesPerFrame, uint32_t delay);
// Samples per frame of the audio with this header (1152 or 576), 0 if invalid.
uint32_t SamplesPerFrame(const uint8_t header[4]);
