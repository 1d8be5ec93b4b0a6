#pragma once
// The wait for the OCR server to become idle. The server's busy state is
// normally the only thing that ends it; a server that keeps failing or never
// reports idle must not hang the application, so the wait gives up after a
// time limit. Pure logic: the call, the clock and the pause are passed in.

#include <cstdint>

// Calls isBusy(context) until it returns 0 (true) or limitMs have passed on
// the clock now() (false). Between two calls it calls pause(ms) with
// intervalMs, or with what is left of the limit when that is less.
bool PollUntilNotBusy(int32_t (*isBusy)(void* context), void* context, uint32_t (*now)(),
                      void (*pause)(uint32_t ms), uint32_t limitMs, uint32_t intervalMs);

// How long the runs wait for IsAppBusy to report 0.
constexpr uint32_t kDefaultBusyPollLimitMs = 60000;
// How often they ask: each question is a call into another process.
constexpr uint32_t kBusyPollIntervalMs = 100;
