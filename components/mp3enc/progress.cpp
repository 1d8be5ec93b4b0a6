#include "components/mp3enc/progress.h"

#include <algorithm>

int32_t ProgressTotalFor(uint64_t frames) {
  uint64_t blocks = (frames + kProgressBlockFrames - 1) / kProgressBlockFrames;
  if (blocks == 0) return 1;
  return static_cast<int32_t>(std::min<uint64_t>(blocks, INT32_MAX));
}

int32_t ProgressDoneFor(uint64_t framesDone, uint64_t frames) {
  const int32_t total = ProgressTotalFor(frames);
  if (framesDone >= frames) return total;
  uint64_t blocks = framesDone / kProgressBlockFrames;
  return static_cast<int32_t>(std::min<uint64_t>(blocks, static_cast<uint64_t>(total)));
}

bool ProgressGate::TryPass(uint64_t nowMs, uint32_t intervalMs) {
  uint64_t last = last_.load();
  for (;;) {
    // Signed: another thread may have passed with a later clock reading.
    if (last != 0 && int64_t(nowMs) - int64_t(last - 1) < int64_t(intervalMs)) return false;
    if (last_.compare_exchange_weak(last, nowMs + 1)) return true;
  }
}

bool ProgressThrottle::ShouldReport(int32_t done, uint64_t nowMs) {
  if (finalSent_) return false;
  if (done >= total_) {
    finalSent_ = true;
    if (gate_) gate_->Passed(nowMs);
    return true;
  }
  const int32_t percent = static_cast<int32_t>(static_cast<int64_t>(done) * 100 / total_);
  if (percent <= lastPercent_) return false;
  if (reported_ && nowMs - lastMs_ < interval_) return false;
  // The first percent goes at once: the listener sees the encode start.
  if (gate_) {
    if (!reported_) gate_->Passed(nowMs);
    else if (!gate_->TryPass(nowMs, interval_)) return false;
  }
  lastPercent_ = percent;
  reported_ = true;
  lastMs_ = nowMs;
  return true;
}
