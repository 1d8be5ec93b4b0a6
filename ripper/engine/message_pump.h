// Message processing inside a handler: the session's wait loop and the
// progress window's "let pending messages be processed".
#pragma once
#include <windows.h>

// The window whose keyboard (Tab, Enter, Space) the functions below hand to
// IsDialogMessage; nullptr for none. The progress window sets itself.
void SetPumpDialog(HWND dialog);

// Dispatches the messages queued for this thread now, without waiting.
// Returns false when WM_QUIT came; it is kept (QuitPending) rather than lost.
bool PumpPendingMessages();

// Blocks in the message queue, dispatching, until flag turns true. Never
// spins. Returns false when WM_QUIT came first.
bool WaitForFlag(const bool& flag);

// A WM_QUIT taken from the queue by the two functions above.
bool QuitPending();
// Posts the kept WM_QUIT again, for the main message loop.
void RepostPendingQuit();
