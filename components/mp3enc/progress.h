// Progress arithmetic of one encode. The unit is a block of 1152 sample
// frames of the WAV file: small enough for a fine bar, large enough that
// the listener's "done * 100" stays far inside 32 bits even for a 4 GB file.
#pragma once
#include <atomic>
#include <cstdint>

constexpr uint32_t kProgressBlockFrames = 1152;

// The total EncodeProgress counts towards. Never 0: listeners divide by it,
// so a file without samples still counts as one block.
int32_t ProgressTotalFor(uint64_t frames);

// Blocks done after `framesDone` frames, capped at the total.
int32_t ProgressDoneFor(uint64_t framesDone, uint64_t frames);

// Four events a second still move a bar smoothly; every event costs the
// user-interface thread a wake-up (under Wine most of a millisecond), and
// several encodes run at once: the interval holds for all of them together.
constexpr uint32_t kEncodeProgressIntervalMs = 250;

// The time of the last progress event of any encode sharing it; any thread.
class ProgressGate {
 public:
  // True, and the gate closed for intervalMs, when that long has passed
  // since the last event that went through.
  bool TryPass(uint64_t nowMs, uint32_t intervalMs);
  // An event that goes through whatever the time (a start, an end).
  void Passed(uint64_t nowMs) { last_.store(nowMs + 1); }

 private:
  std::atomic<uint64_t> last_{0};  // 0: none yet; else time + 1
};

// Decides which progress values are worth an event: at most one per
// percent and per interval (and the final one, always), so the
// user-interface thread is not flooded.
class ProgressThrottle {
 public:
  // gate: shared with the encodes running beside this one (may be null).
  explicit ProgressThrottle(int32_t total, uint32_t intervalMs = kEncodeProgressIntervalMs,
                            ProgressGate* gate = nullptr)
      : total_(total > 0 ? total : 1), interval_(intervalMs), gate_(gate) {}
  // True when `done` should be reported; nowMs is a monotonic clock. The
  // first percent passes at once, so a listener sees the encode start.
  bool ShouldReport(int32_t done, uint64_t nowMs);

 private:
  int32_t total_;
  uint32_t interval_;
  ProgressGate* gate_;
  int32_t lastPercent_ = 0;  // 0 % would not move a bar
  bool reported_ = false;
  uint64_t lastMs_ = 0;
  bool finalSent_ = false;
};
