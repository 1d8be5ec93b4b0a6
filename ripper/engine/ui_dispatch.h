// Carries work from worker threads to the user-interface thread through a
// message-only window, so that component events run inside the UI thread's
// message loop (and so inside a session's wait loop).
#pragma once
#include <functional>

// Creates the message-only window; call once on the UI thread before any
// component starts work. Returns false when the window cannot be created.
bool UiDispatchInit();
// Destroys the window; work still queued is dropped, never run.
void UiDispatchShutdown();
// Queues fn to run on the UI thread. Any thread. False (fn dropped) when the
// dispatcher is not running.
bool UiPost(std::function<void()> fn);
// True on the thread that called UiDispatchInit.
bool OnUiThread();
