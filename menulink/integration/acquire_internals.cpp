#include "menulink/integration/acquire_internals.h"

#include "menulink/integration/acquire.h"

namespace {
const MenulinkAcquireTable acquireTable = {
    kAcquireInternalsVersion,
    static_cast<int32_t>(sizeof(MenulinkAcquireTable)),
    AcquireText,
    AcquireTextSettings,
    PasteIntoApplication,
    SetLaunchMarker,
    SetBusyPollLimit,
    &currentSubclass,
};
}  // namespace

extern "C" const MenulinkAcquireTable* WINAPI MenulinkAcquireInternals() { return &acquireTable; }
