#pragma once
// The wait for the OCR server to become idle. The server's busy state is
// normally the only thing that ends it; a server that keeps failing or never
// reports idle must not hang the application, so the wait gives up after a
// time limit. Pure logic: the call and the clock are passed in.

#include <cstdint>

// Calls isBusy(context) back to back, without delay, until it returns 0
// (true) or limitMs have passed on the clock now() (false).
bool PollUntilNotBusy(int32_t (*isBusy)(void* context), void* context, uint32_t (*now)(), uint32_t limitMs);

// How long the runs wait for IsAppBusy to report 0.
constexpr uint32_t kDefaultBusyPollLimitMs = 60000;
