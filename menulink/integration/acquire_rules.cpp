#include "menulink/integration/acquire_rules.h"

namespace {
int16_t LowWord(int32_t code) { return static_cast<int16_t>(static_cast<uint32_t>(code) & 0xFFFFu); }
}  // namespace

bool IsQuietCode(int32_t code) { return code == -300; }

bool IsQuietLoadImageCode(int32_t code) { return IsQuietCode(code) || LowWord(code) == -2007; }

bool IsQuietStepCode(int32_t code) { return IsQuietCode(code) || LowWord(code) == -999; }

bool IsQuietOptionDialogCode(int32_t code) { return IsQuietCode(code) || code == -999; }

bool IsSilentSessionFailure(int32_t code) { return code == -1 || IsQuietCode(code); }

bool IsNoPasteCode(int32_t code) { return LowWord(code) == -999; }

int32_t OptionDialogArgument(int16_t engineVersion) {
  return static_cast<uint16_t>(engineVersion) >= 300 ? 6226 : 87;
}

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
