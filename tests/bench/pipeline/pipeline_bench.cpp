// Pipeline benchmark, Windows side. Two discs: one on an image drive at
// full speed, one on a simulated 8x drive. Measures, turn about:
//   full speed: the whole session with K encoders against a plain
//     sequential LAME loop over the same tracks' WAV files;
//   8x: the drive's read time alone (reads, no encode) against the session;
// and the UI thread's CPU and each processor's use during the sessions.
// Prints key=value figures; run.sh prints the ratios.
//   pipeline_bench.exe FULL.cue SLOW.cue OUTDIR WAVDIR ROUNDS
#include <windows.h>
#include <winternl.h>

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/proc_address.h"
#include "components/cdreader/cdreader.h"
#include "components/mp3enc/mp3enc.h"
#include "ripper/engine/encoder_slots.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/message_pump.h"
#include "ripper/engine/session.h"
#include "ripper/engine/ui_dispatch.h"
#include "tests/bench/common/bench_parts.h"

namespace {

using namespace bench;

// Busy and total time of each processor, from the system's counters.
struct CoreTimes {
  std::vector<double> busy, total;
};

CoreTimes ReadCores() {
  struct PerCpu {
    LARGE_INTEGER idle, kernel, user, dpc, interrupt;
    ULONG interrupts;
  };
  using QueryFn = LONG(NTAPI*)(int, void*, ULONG, ULONG*);
  static QueryFn query = ProcAddress<QueryFn>(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
  CoreTimes t;
  if (!query) return t;
  std::vector<PerCpu> cpus(64);
  ULONG got = 0;
  // 8: SystemProcessorPerformanceInformation.
  if (query(8, cpus.data(), ULONG(cpus.size() * sizeof(PerCpu)), &got) != 0) return t;
  for (size_t i = 0; i < got / sizeof(PerCpu); ++i) {
    const double kernel = double(cpus[i].kernel.QuadPart), user = double(cpus[i].user.QuadPart);
    t.total.push_back((kernel + user) / 1e7);  // kernel time includes idle time
    t.busy.push_back((kernel + user - double(cpus[i].idle.QuadPart)) / 1e7);
  }
  return t;
}

class BenchHost : public SessionHost, public CdReaderEvents {
 public:
  BenchHost(const std::wstring& cue, int slots, std::wstring folder) : folder_(std::move(folder)) {
    reader_ = CreateCdReader({cue});
    reader_->SetEvents(this);
    for (int s = 0; s < slots; ++s) {
      encoders_.push_back(CreateMp3Encoder());
      sinks_.push_back(std::make_unique<Sink>(*this, s));
      encoders_.back()->SetEvents(sinks_.back().get());
    }
    main_ = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~BenchHost() {
    if (main_) DestroyWindow(main_);
  }
  bool Open() {
    if (reader_->InitAspi() != 0 || reader_->DriveCount() < 1) return false;
    reader_->SelectDrive(reader_->DriveCount());
    tracks = reader_->TrackCount();
    return tracks > 0;
  }

  Form1State state;
  int tracks = 0;
  bool readDone = false;
  // Events only counted: a clock read per event would cost the UI thread a
  // server call of its own under Wine.
  long events = 0;
  void Event() { ++events; }

  Form1State& State() override { return state; }
  CdReader& Reader() override { return *reader_; }
  Mp3Encoder& Encoder() override { return *encoders_[0]; }
  int EncoderSlots() override { return static_cast<int>(encoders_.size()); }
  Mp3Encoder& SlotEncoder(int s) override { return *encoders_.at(static_cast<size_t>(s)); }
  CddbClient& Cddb() override { return cddb_; }
  HWND MainWindow() { return main_; }
  int TrackListCount() override { return tracks; }
  bool TrackListSelected(int) override { return true; }
  int TrackListSelectedCount() override { return tracks; }
  std::wstring OutputFolder() override { return folder_; }
  std::wstring Prefix() override { return L"Track"; }

  void ReadProgress(int32_t p) override {
    Event();
    SessionReadProgress(*this, p);
  }
  void ReadDone() override {
    Event();
    readDone = true;
    SessionReadDone(*this);
  }
  void ReadError(int32_t c, const std::wstring& m) override {
    readDone = true;
    fwprintf(stderr, L"read error %d: %ls\n", c, m.c_str());
    SessionReadError(*this, c, m);
  }

 private:
  struct Sink : Mp3EncoderEvents {
    Sink(BenchHost& h, int s) : host(h), slot(s) {}
    void EncodeProgress(int32_t d) override {
      host.Event();
      SessionEncodeProgress(host, slot, d);
    }
    void EncodeDone() override {
      host.Event();
      SessionEncodeDone(host, slot);
    }
    BenchHost& host;
    int slot;
  };
  std::unique_ptr<CdReader> reader_;
  std::vector<std::unique_ptr<Mp3Encoder>> encoders_;
  std::vector<std::unique_ptr<Sink>> sinks_;
  NoCddb cddb_;
  std::wstring folder_;
  HWND main_;
};

// One WAV file through LAME with the encoder's settings.
bool EncodePlain(const std::wstring& wav, const std::wstring& mp3) { return EncodePlainFile(wav, mp3, true); }

std::wstring TrackName(const std::wstring& dir, int n, const wchar_t* ext) {
  wchar_t name[32];
  swprintf(name, 32, L"\\Track%02d.%ls", n, ext);
  return dir + name;
}

// Reads every track to a WAV file in dir, one after the other, no encode.
// Wall seconds; < 0 when a read failed.
double ReadsAlone(const std::wstring& cue, const std::wstring& dir) {
  BenchHost host(cue, 1, dir);
  if (!host.Open()) return -1;
  host.Reader().BeginSession();
  const double t0 = Now();
  for (int n = 1; n <= host.tracks; ++n) {
    host.readDone = false;
    if (host.Reader().ReadTrackToWav(static_cast<int16_t>(n), TrackName(dir, n, L"wav")) != 0) return -1;
    WaitForFlag(host.readDone);
  }
  const double wall = Now() - t0;
  host.Reader().EndSession();
  return wall;
}

struct SessionRun {
  double wall = 0, uiCpu = 0;
  double processCpu = 0;    // all threads of the process, the encoders' among them
  long events = 0;
  CoreTimes before, after;
  bool ok = false;
};

SessionRun Session(const std::wstring& cue, int slots, const std::wstring& dir) {
  SessionRun r;
  BenchHost host(cue, slots, dir);
  if (!host.Open()) return r;
  ProgressWindowPrepare(host);
  const double cpu0 = ThreadCpu(), process0 = ProcessCpu();
  r.before = ReadCores();
  const double t0 = Now();
  RunSession(host, host.MainWindow());
  r.wall = Now() - t0;
  r.after = ReadCores();
  r.uiCpu = ThreadCpu() - cpu0;
  r.processCpu = ProcessCpu() - process0;
  r.events = host.events;
  ProgressWindowUnload();
  r.ok = true;
  for (int n = 1; n <= host.tracks; ++n)
    if (GetFileAttributesW(TrackName(dir, n, L"mp3").c_str()) == INVALID_FILE_ATTRIBUTES) r.ok = false;
  return r;
}

std::string CoreUse(const SessionRun& r) {
  std::string s;
  for (size_t i = 0; i < r.after.busy.size() && i < r.before.busy.size(); ++i) {
    const double total = r.after.total[i] - r.before.total[i];
    const double busy = r.after.busy[i] - r.before.busy[i];
    char part[32];
    snprintf(part, sizeof part, "%scpu%u %.0f%%", i ? ", " : "", unsigned(i), total > 0 ? busy / total * 100 : 0.0);
    s += part;
  }
  return s.empty() ? "not available" : s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6) {
    fwprintf(stderr, L"usage: pipeline_bench FULL.cue SLOW.cue OUTDIR WAVDIR ROUNDS\n");
    return 2;
  }
  const std::wstring fullCue = argv[1], slowCue = argv[2], out = argv[3], wavs = argv[4];
  const int rounds = std::max(1, _wtoi(argv[5]));
  if (!UiDispatchInit()) return 1;
  wchar_t env[8] = {};
  const DWORD n = GetEnvironmentVariableW(L"WQ_ENCODERS", env, 8);
  const int processors = static_cast<int>(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS));
  const int slots = ChooseEncoderSlots(processors, n > 0 && n < 8 ? std::wstring(env, n) : std::wstring());
  CreateDirectoryW(out.c_str(), nullptr);
  CreateDirectoryW(wavs.c_str(), nullptr);

  // Full speed: the WAV files once, then plain loop and session turn about.
  const double fullReads = ReadsAlone(fullCue, wavs);
  if (fullReads < 0) return 1;
  int tracks = 0;
  while (GetFileAttributesW(TrackName(wavs, tracks + 1, L"wav").c_str()) != INVALID_FILE_ATTRIBUTES) ++tracks;
  // The UI share as the session bench counts it: all rounds' UI CPU over
  // all rounds' wall; the worst single round beside it.
  double plainBest = 1e30, sessionBest = 1e30, uiWorst = 0, uiCpuAll = 0, wallAll = 0;
  SessionRun best;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = Now();
    const bool ok = OnOwnThread([&] {
      for (int t = 1; t <= tracks; ++t)
        if (!EncodePlain(TrackName(wavs, t, L"wav"), TrackName(wavs, t, L"plain.mp3"))) return false;
      return true;
    });
    if (!ok) return 1;
    plainBest = std::min(plainBest, Now() - t0);
    SessionRun s = Session(fullCue, slots, out);
    if (!s.ok) return 1;
    if (s.wall < sessionBest) {
      sessionBest = s.wall;
      best = s;
    }
    uiWorst = std::max(uiWorst, s.uiCpu / s.wall);
    uiCpuAll += s.uiCpu;
    wallAll += s.wall;
  }

  // 8x: the drive alone, then the session, turn about.
  double readBest = 1e30, slowBest = 1e30, slowWorst = 0, slowUiAll = 0, slowWallAll = 0;
  long slowEvents = 0;
  for (int r = 0; r < rounds; ++r) {
    const double reads = ReadsAlone(slowCue, wavs);
    if (reads < 0) return 1;
    readBest = std::min(readBest, reads);
    SessionRun s = Session(slowCue, slots, out);
    if (!s.ok) return 1;
    slowBest = std::min(slowBest, s.wall);
    slowWorst = std::max(slowWorst, s.uiCpu / s.wall);
    slowUiAll += s.uiCpu;
    slowWallAll += s.wall;
    slowEvents = s.events;
  }
  printf("slots=%d\nprocessors=%d\ntracks=%d\nrounds=%d\n", slots, processors, tracks, rounds);
  printf("full_reads_seconds=%.3f\nplain_seconds=%.3f\nsession_seconds=%.3f\n", fullReads, plainBest, sessionBest);
  printf("ui_share=%.5f\nui_share_worst=%.5f\nevents=%ld\n", uiCpuAll / wallAll, uiWorst, best.events);
  printf("slow_ui_share=%.5f\nslow_ui_share_worst=%.5f\nslow_events=%ld\n", slowUiAll / slowWallAll, slowWorst,
         slowEvents);
  printf("slow_reads_seconds=%.3f\nslow_session_seconds=%.3f\n", readBest, slowBest);
  printf("core_use=%s\n", CoreUse(best).c_str());
  printf("session_cores=%.3f\n", best.processCpu / best.wall);
  UiDispatchShutdown();
  return 0;
}
