#include "components/cdreader/progress_pace.h"

namespace cdr {

bool ProgressPacer::ShouldPost(int32_t perMille, uint64_t nowMs) {
  if (posted_ && perMille < 1000 && nowMs - lastMs_ < interval_) return false;
  posted_ = true;
  lastMs_ = nowMs;
  return true;
}

}  // namespace cdr
