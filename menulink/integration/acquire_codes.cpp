#include "menulink/integration/acquire_codes.h"

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
