#pragma once
// The counts and the switch that the 32-bit and the 64-bit library share,
// in the named mapping "GLYPHTAP_STATE_OBJECT" beside the table. Each DLL
// image has a shared section of its own, so nothing both widths must agree
// on may live there. Fixed-size fields and no pointers: both widths map the
// same 16 bytes.

#include <cstddef>
#include <cstdint>

struct SharedState {
  int32_t appCount;           // table slots in use, 0 to MAX_APPS
  int32_t hookedWindowCount;  // subclassed windows over all processes; atomic only
  int32_t featureDisabled;    // 1 after GTDisableGlyphtap
  int32_t tableLoaded;        // 1 once the table was filled from the registry
};

static_assert(offsetof(SharedState, appCount) == 0);
static_assert(offsetof(SharedState, hookedWindowCount) == 4);
static_assert(offsetof(SharedState, featureDisabled) == 8);
static_assert(offsetof(SharedState, tableLoaded) == 12);
static_assert(sizeof(SharedState) == 16);
constexpr std::uint32_t kSharedStateBytes = sizeof(SharedState);
