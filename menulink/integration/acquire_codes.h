#pragma once
// Which server result codes end a step of the acquire runs without a
// message box, and the options-dialog argument. Pure logic.

#include <cstdint>

// -300 is quiet from every call.
bool IsQuietCode(int32_t code);
// LoadImage: also a low word of -2007.
bool IsQuietLoadImageCode(int32_t code);
// ZoneImage, ProcessImages, SaveToClipBoard: also a low word of -999.
bool IsQuietStepCode(int32_t code);
// OptionDialog: also exactly -999.
bool IsQuietOptionDialogCode(int32_t code);
// StartSession, GetEngineVersion: -1 (call failed) and -300 give no message.
bool IsSilentSessionFailure(int32_t code);
// SaveToClipBoard asked us not to paste.
bool IsNoPasteCode(int32_t code);

// 6226 for engine versions of 300 and above (unsigned 16-bit), else 87.
int32_t OptionDialogArgument(int16_t engineVersion);
