#include "menulink/integration/acquire_poll.h"

bool PollUntilNotBusy(int32_t (*isBusy)(void* context), void* context, uint32_t (*now)(),
                      void (*pause)(uint32_t ms), uint32_t limitMs, uint32_t intervalMs) {
  const uint32_t start = now();
  for (;;) {
    if (isBusy(context) == 0) return true;
    // Unsigned difference: survives the tick counter wrapping.
    uint32_t waited = now() - start;
    if (waited >= limitMs) return false;
    uint32_t left = limitMs - waited;
    pause(intervalMs < left ? intervalMs : left);
  }
}
