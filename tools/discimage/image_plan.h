// What discimage writes: the layout of tracks in one BIN or one BIN per
// track, the CUE text, and music-like audio for each track.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace discimage {

constexpr uint32_t kFrameBytes = 2352;
constexpr uint32_t kFramesPerSecond = 75;

struct PlanTrack {
  int number = 0;
  uint32_t pregapFrames = 0;  // stored before INDEX 01, as INDEX 00
  uint32_t audioFrames = 0;   // from INDEX 01
  uint32_t startLba = 0;      // INDEX 01 on the disc
  int file = 0;
  uint32_t fileFrame = 0;  // INDEX 00 (or 01) position in its file
  bool data = false;       // a MODE1/2352 track of zero bytes
};

struct Plan {
  std::string baseName;  // NAME of NAME.cue
  bool split = false;
  std::vector<std::string> files;  // BIN names, relative to the CUE
  std::vector<PlanTrack> tracks;
  uint32_t leadOutLba = 0;
};

// Seconds to frames, rounded to the nearest frame; at least one frame.
uint32_t SecondsToFrames(double seconds);

// dataTracks[i] true makes track i+1 a data track (as on Enhanced and
// mixed-mode CDs); missing entries are audio.
Plan MakePlan(const std::string& baseName, const std::vector<double>& trackSeconds, double pregapSeconds,
              bool split, const std::vector<bool>& dataTracks = {});

std::string CueText(const Plan& plan);

// Track and pregap audio: 16-bit little-endian stereo. The same seed, track
// and position always give the same bytes, on every platform.
void TrackAudio(uint32_t seed, int track, uint32_t firstFrame, uint32_t frames, uint8_t* out);
void PregapAudio(uint32_t seed, int track, uint32_t firstFrame, uint32_t frames, uint8_t* out);

}  // namespace discimage
