// Table of contents arithmetic shared by real drives and disc images:
// MSF/LBA conversion, track ranges and the drive TOC buffer format.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ripper/engine/cd_reader.h"

namespace cdr {

constexpr uint32_t kFramesPerSecond = 75;
constexpr uint32_t kLeadInFrames = 150;        // MSF 00:02:00 is LBA 0
constexpr uint32_t kSectorBytes = 2352;        // one CDDA frame: 588 stereo samples
constexpr uint32_t kSessionGapFrames = 11400;  // lead-out + lead-in between sessions

struct Msf {
  uint32_t minute = 0, second = 0, frame = 0;
};

// Absolute MSF (as drives report it) to LBA; MSF below 00:02:00 clamps to 0.
uint32_t MsfToLba(const Msf& msf);
Msf LbaToMsf(uint32_t lba);
// Playing time of a frame count, truncated to whole milliseconds.
int32_t FramesToMs(uint32_t frames);

struct DiscTrack {
  int number = 0;  // as numbered on the disc
  bool audio = true;
  uint32_t startLba = 0;  // INDEX 01
  uint32_t endLba = 0;    // exclusive: where this track's audio ends
};

struct DiscInfo {
  std::vector<DiscTrack> tracks;  // every track, disc order
  uint32_t leadOutLba = 0;

  // Audio tracks are what the reader lists, numbered 1..AudioCount().
  int AudioCount() const;
  // Nullptr when index is out of 1..AudioCount().
  const DiscTrack* Audio(int index) const;
};

// What disc identification counts: every track's start, data tracks
// included, the whole disc's lead-out, and which tracks are listed as 1..n.
DiscToc IdentificationToc(const DiscInfo& disc);

// Parses the buffer of a "read TOC" drive request (format 0): 4-byte header
// (length, first, last) and 8-byte descriptors, addresses in MSF or LBA.
// Fills endLba: the next track's start, less the session gap when an audio
// track is followed by a data track (CD-Extra). False with a reason when the
// buffer is malformed.
bool ParseDriveToc(const uint8_t* data, size_t size, bool msf, DiscInfo& disc, std::wstring& error);

}  // namespace cdr
