#pragma once
// Pure rules of the acquire runs: which server result codes end a step
// without a message box, the options-dialog argument, and the wait for the
// server to become idle.

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

// The wait for the OCR server to become idle. The server's busy state is
// normally the only thing that ends it; a server that keeps failing or never
// reports idle must not hang the application, so the wait gives up after a
// time limit. The call, the clock and the pause are passed in.
// Calls isBusy(context) until it returns 0 (true) or limitMs have passed on
// the clock now() (false). Between two calls it calls pause(ms) with
// intervalMs, or with what is left of the limit when that is less.
bool PollUntilNotBusy(int32_t (*isBusy)(void* context), void* context, uint32_t (*now)(),
                      void (*pause)(uint32_t ms), uint32_t limitMs, uint32_t intervalMs);

// How long the runs wait for IsAppBusy to report 0.
constexpr uint32_t kDefaultBusyPollLimitMs = 60000;
// How often they ask: each question is a call into another process.
constexpr uint32_t kBusyPollIntervalMs = 100;
