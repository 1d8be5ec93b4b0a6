// Message pumping and other programs, for the Windows tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Pumps this thread's messages until done() or ms pass; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 20000);
// Lets queued messages arrive, so that a test can see nothing more comes.
void PumpFor(DWORD ms);
// Checks cond every 20 ms, up to ms; false on time-out. Unlike PumpUntil it
// leaves this thread's messages queued.
template <class F>
bool WaitFor(F cond, DWORD ms = 5000) {
  for (DWORD waited = 0;; waited += 20) {
    if (cond()) return true;
    if (waited >= ms) return false;
    Sleep(20);
  }
}

// Runs a command line to its end; its exit code, or -1 if it cannot be
// started or outlives timeoutMs (then it is terminated).
int RunToEnd(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// Another program, terminated by the destructor if it still runs.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const std::wstring& exe, const std::wstring& arguments);
  DWORD Id() const { return pi_.dwProcessId; }
  bool Running() const;
  // Waits for the end, pumping messages; false when it still runs after
  // timeoutMs.
  bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  void Terminate();

 private:
  PROCESS_INFORMATION pi_{};
};
