// Which per-mille values of a read reach the user-interface thread. A disc
// image reads a track in a fraction of a second, hundreds of values that no
// screen could show one by one; a drive at 8x still gives one every few
// tens of milliseconds.
#pragma once
#include <cstdint>

namespace cdr {

// Five moves a second still follow a read, and each event wakes the
// user-interface thread while encodes run beside the read.
constexpr uint32_t kProgressIntervalMs = 200;

class ProgressPacer {
 public:
  explicit ProgressPacer(uint32_t intervalMs = kProgressIntervalMs) : interval_(intervalMs) {}
  // perMille ascends; nowMs is a monotonic clock. The first value and 1000
  // always pass; any other only once intervalMs have gone by since the last
  // one that passed.
  bool ShouldPost(int32_t perMille, uint64_t nowMs);

 private:
  uint32_t interval_;
  bool posted_ = false;
  uint64_t lastMs_ = 0;
};

}  // namespace cdr
