// Progress arithmetic of one encode. The unit is a block of 1152 sample
// frames of the WAV file: small enough for a fine bar, large enough that
// the listener's "done * 100" stays far inside 32 bits even for a 4 GB file.
#pragma once
#include <cstdint>

constexpr uint32_t kProgressBlockFrames = 1152;

// The total EncodeProgress counts towards. Never 0: listeners divide by it,
// so a file without samples still counts as one block.
int32_t ProgressTotalFor(uint64_t frames);

// Blocks done after `framesDone` frames, capped at the total.
int32_t ProgressDoneFor(uint64_t framesDone, uint64_t frames);

// Decides which progress values are worth an event: at most one per
// percent (and the final one), so the user-interface thread is not flooded.
class ProgressThrottle {
 public:
  explicit ProgressThrottle(int32_t total) : total_(total > 0 ? total : 1) {}
  // True when `done` should be reported.
  bool ShouldReport(int32_t done);

 private:
  int32_t total_;
  int32_t lastPercent_ = 0;  // 0 % would not move a bar
  bool finalSent_ = false;
};
