// Placeholder bodies so the main window links while the session is built;
// replaced by the real session.
#include "ripper/engine/session.h"

void RunSession(SessionHost&) {}
void SessionReadProgress(SessionHost&, int32_t) {}
void SessionReadDone(SessionHost& host) { host.State().OperationDone = true; }
void SessionReadError(SessionHost& host, int32_t, const std::wstring&) {
  host.State().OperationDone = true;
  host.State().ReadFailed = kVbTrue;
}
void SessionEncodeProgress(SessionHost&, int32_t) {}
void SessionEncodeDone(SessionHost& host) { host.State().OperationDone = true; }
void ProgressWindowPrepare(SessionHost&) {}
void ProgressWindowUnload() {}
