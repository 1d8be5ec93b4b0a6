#include "menulink/integration/acquire_poll.h"

bool PollUntilNotBusy(int32_t (*isBusy)(void* context), void* context, uint32_t (*now)(), uint32_t limitMs) {
  const uint32_t start = now();
  for (;;) {
    if (isBusy(context) == 0) return true;
    // Unsigned difference: survives the tick counter wrapping.
    if (now() - start >= limitMs) return false;
  }
}
