// The rip-and-encode session (Start) and the main window's handlers for the
// components' events, which the main window forwards here.
#pragma once
#include <cstdint>
#include <string>

#include "ripper/engine/session_host.h"

// Start's click handler. Returns when the session has ended.
void RunSession(SessionHost& host, SessionView& view, SessionFiles& files);

void SessionReadProgress(SessionHost& host, int32_t perMille);
void SessionReadDone(SessionHost& host);
void SessionReadError(SessionHost& host, int32_t code, const std::wstring& message);
// Encoder slot 0 (Encoder()), or the given one (SlotEncoder(slot)).
void SessionEncodeProgress(SessionHost& host, int32_t amountDone);
void SessionEncodeDone(SessionHost& host);
void SessionEncodeProgress(SessionHost& host, int slot, int32_t amountDone);
void SessionEncodeDone(SessionHost& host, int slot);
// The AccurateRip database's LookupDone.
void SessionLookupDone(SessionHost& host);

// ABORT, or a quit while waiting: the flags set and the read stopped; the
// session aborts a running encode when it sees them.
void SessionRequestAbort(SessionHost& host);

// True from the moment RunSession shows the progress window until its end.
bool SessionIsRunning();
