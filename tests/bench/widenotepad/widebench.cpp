// Cost of a message the library does not handle in Wine's 64-bit notepad,
// served through the 32-bit controller and the 64-bit host, against the
// same notepad with no hook at all. Each round measures both: first with
// nothing installed, then with the controller started (the host hooks
// notepad's thread, the library subclasses its window), then switched off
// again (the window lets go, the controller and the host leave). The
// ratio is of the medians over the rounds, measured in this one run.
//   widebench STAGE_FOLDER   (controller.exe, both libraries and the host)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/proc_address.h"
#include "menulink/registry/shared_state.h"

namespace {

double answer = -1;
LRESULT CALLBACK ReplyProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
    if (cds && cds->dwData == 0x57B && cds->cbData == sizeof(double))
      answer = *static_cast<const double*>(cds->lpData);
    return TRUE;
  }
  return DefWindowProcA(h, msg, wp, lp);
}

bool PumpUntil(bool (*done)(), DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  return true;
}

// Seconds per message inside notepad; negative when it did not answer.
double Measure(HWND notepad, HWND reply, int n) {
  answer = -1;
  PostMessageA(notepad, RegisterWindowMessageA("wq.CostProbe.Measure"), reinterpret_cast<WPARAM>(reply), n);
  PumpUntil([] { return answer >= 0; }, 60000);
  return answer;
}

// The same, sent here to the bench's own message-only window: no thread
// hook of the host's is on this thread, so with the controller running
// only its system-wide 32-bit hook is in the chain, which a 64-bit
// process cannot load. Tells that cost apart from the library's.
double MeasureHere(HWND window, int n) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  for (int i = 0; i < n; ++i) SendMessageA(window, WM_USER + 0x3F7, i, 0);
  QueryPerformanceCounter(&b);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart) / n;
}

int HookedCount() {
  HANDLE m = OpenFileMappingA(FILE_MAP_READ, FALSE, "GLYPHTAP_STATE_OBJECT");
  if (!m) return 0;
  int n = 0;
  if (auto* s = static_cast<const volatile SharedState*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0))) {
    n = s->hookedWindowCount;
    UnmapViewOfFile(const_cast<SharedState*>(s));
  }
  CloseHandle(m);
  return n;
}

bool HostRunning() {
  HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, "Glyphtap64HostMutex");
  if (m) CloseHandle(m);
  return m != nullptr;
}

// Output of the programs started here would mix with the bench's own.
bool Run(const std::string& cmd, PROCESS_INFORMATION* pi) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = nul;
  std::string line = cmd;
  bool ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, pi) != FALSE;
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  return ok;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string stage = argv[1];
  if (stage.back() != '\\') stage += '\\';

  PROCESS_INFORMATION np = {};
  if (!Run("C:\\windows\\system32\\notepad.exe", &np)) {
    std::printf("widebench: notepad did not start\n");
    return 1;
  }
  WaitForInputIdle(np.hProcess, 10000);
  HWND notepad = nullptr;
  for (int i = 0; i < 200 && !notepad; ++i, Sleep(50)) {
    for (HWND w = FindWindowA("Notepad", nullptr); w; w = FindWindowExA(nullptr, w, "Notepad", nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == np.dwProcessId) notepad = w;
    }
  }
  HMODULE probe = LoadLibraryA((ExeFolder<char>() + "costprobe.dll").c_str());
  auto probeProc = probe ? ProcAddress<HOOKPROC>(probe, "CostProbeHook") : nullptr;
  HHOOK probeHook = notepad && probeProc ? SetWindowsHookExA(WH_GETMESSAGE, probeProc, probe,
                                                             GetWindowThreadProcessId(notepad, nullptr))
                                         : nullptr;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ReplyProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "WideBenchReply";
  RegisterClassA(&wc);
  HWND reply = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                               nullptr);
  if (!probeHook || !reply) {
    std::printf("widebench: cannot measure inside notepad (window %p, probe %p)\n", (void*)notepad,
                (void*)probeHook);
    TerminateProcess(np.hProcess, 0);
    return 1;
  }

  const int rounds = 5, n = 20000;
  std::vector<double> none, served, hereNone, hereHooked;
  bool ok = true;
  for (int r = 0; r < rounds && ok; ++r) {
    double plain = Measure(notepad, reply, n);
    double herePlain = MeasureHere(reply, n);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "MenulinkController.Ready");
    ResetEvent(ready);
    PROCESS_INFORMATION cp = {};
    ok = Run("\"" + stage + "controller.exe\"", &cp) && WaitForSingleObject(ready, 20000) == WAIT_OBJECT_0;
    CloseHandle(ready);
    // The host hooks notepad's thread within its rescan and has the
    // window looked at.
    for (int i = 0; ok && i < 100 && HookedCount() < 1; ++i) Sleep(100);
    ok = ok && HookedCount() == 1;
    double hooked = ok ? Measure(notepad, reply, n) : -1;
    double hereWithHook = ok ? MeasureHere(reply, n / 10) : -1;
    // Switched off: the window lets go at its next message, the
    // controller hears WM_CLOSE and unhooks, the host follows.
    PROCESS_INFORMATION off = {};
    if (Run("\"" + stage + "controller.exe\" disable", &off)) {
      WaitForSingleObject(off.hProcess, 20000);
      CloseHandle(off.hProcess);
      CloseHandle(off.hThread);
    }
    DWORD_PTR res;
    SendMessageTimeoutA(notepad, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &res);
    if (cp.hProcess) {
      if (WaitForSingleObject(cp.hProcess, 20000) != WAIT_OBJECT_0) ok = false;
      CloseHandle(cp.hProcess);
      CloseHandle(cp.hThread);
    }
    for (int i = 0; i < 100 && HostRunning(); ++i) Sleep(100);
    ok = ok && !HostRunning() && HookedCount() == 0 && plain > 0 && hooked > 0;
    if (ok) {
      none.push_back(plain);
      served.push_back(hooked);
      hereNone.push_back(herePlain);
      hereHooked.push_back(hereWithHook);
    }
  }
  UnhookWindowsHookEx(probeHook);
  PostMessageA(notepad, WM_CLOSE, 0, 0);
  WaitForSingleObject(np.hProcess, 10000);
  if (!ok || none.empty()) {
    std::printf("widebench: a round did not complete (served windows %d, host %s)\n", HookedCount(),
                HostRunning() ? "running" : "gone");
    return 1;
  }
  double n0 = Median(none), s0 = Median(served);
  std::printf("64-bit notepad through the 32-bit controller (median of %d rounds, %d messages each)\n",
              int(none.size()), n);
  std::printf("  per message: no hook %.3f us, hooked and subclassed %.3f us\n", n0 * 1e6, s0 * 1e6);
  std::printf("  hooked / no hook:  %.3f\n", s0 / n0);
  double h0 = Median(hereNone), h1 = Median(hereHooked);
  std::printf("  a 64-bit window of the bench, not served, with only the 32-bit hook in its chain:\n"
              "    no hook %.3f us, 32-bit hook %.3f us, ratio %.3f\n",
              h0 * 1e6, h1 * 1e6, h1 / h0);
  return 0;
}
