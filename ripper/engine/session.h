// The rip-and-encode session (Start) and the main window's handlers for the
// components' events, which the main window forwards here.
#pragma once
#include <cstdint>
#include <string>

#include "ripper/engine/session_host.h"

// Start's click handler. Returns when the session has ended.
void RunSession(SessionHost& host);

void SessionReadProgress(SessionHost& host, int32_t perMille);
void SessionReadDone(SessionHost& host);
void SessionReadError(SessionHost& host, int32_t code, const std::wstring& message);
void SessionEncodeProgress(SessionHost& host, int32_t amountDone);
void SessionEncodeDone(SessionHost& host);

// Progress window life cycle as the main window drives it: prepared (loaded
// hidden, BarFullWidth taken, bars emptied) from InitDevices, unloaded from
// the main window's unload handler.
void ProgressWindowPrepare(SessionHost& host);
void ProgressWindowUnload();

// True from the moment RunSession shows the progress window until its end.
bool SessionIsRunning();
