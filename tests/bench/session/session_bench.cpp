// Session benchmark, Windows side: one whole rip-and-encode session (real
// reader on a disc image, real LAME encoder, real progress window) against
// the same LAME build encoding the same WAV files in a plain loop, and the
// plain path taken apart (image read, WAV write, WAV read back, LAME from
// memory, MP3 write, flush, rename). Prints key=value figures; run.sh adds
// Debian's lame and prints the ratios.
//   session_bench.exe DISC.cue OUTDIR WAVDIR [ROUNDS]
// The machine's speed drifts by tens of percent within seconds, so plain
// loop and session take turns for ROUNDS rounds, each track is timed, and
// each side counts every track's best round.
#include <windows.h>

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "components/cdreader/cdreader.h"
#include "components/cdreader/disc_image.h"
#include "components/cdreader/track_read.h"
#include "components/mp3enc/mp3enc.h"
#include "components/mp3enc/progress.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/message_pump.h"
#include "ripper/engine/session.h"
#include "ripper/engine/ui_dispatch.h"
#include "tests/bench/common/bench_parts.h"
#include "ripper/engine/user_message.h"

namespace {

using namespace bench;

// Wall and process CPU of one stretch of work, summed over its runs.
struct Span {
  double wall = 0, cpu = 0;
  double w0 = 0, c0 = 0;
  void Start() {
    w0 = Now();
    c0 = ProcessCpu();
  }
  void Stop() {
    wall += Now() - w0;
    // Clock differences of equal readings can come out as -0.000.
    cpu += std::max(0.0, ProcessCpu() - c0);
  }
};

// What the user-interface thread is handed while the session runs: window
// messages it takes from its queue, and what it is sent (bar moves).
std::map<UINT, long> g_posted, g_sent;
bool g_counting = false;

LRESULT CALLBACK CountPosted(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE && g_counting) ++g_posted[reinterpret_cast<MSG*>(lp)->message];
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK CountSent(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && g_counting) ++g_sent[reinterpret_cast<CWPSTRUCT*>(lp)->message];
  return CallNextHookEx(nullptr, code, wp, lp);
}

// CPU and count of the session's event handlers, per kind, on the UI thread.
struct HandlerCost {
  long count = 0;
  double seconds = 0;
};

class BenchHost : public SessionHost, public CdReaderEvents, public Mp3EncoderEvents {
 public:
  BenchHost(std::unique_ptr<CdReader> r, std::unique_ptr<Mp3Encoder> e, std::wstring folder)
      : reader_(std::move(r)), encoder_(std::move(e)), folder_(std::move(folder)) {
    reader_->SetEvents(this);
    encoder_->SetEvents(this);
    main_ = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  Form1State state;
  int tracks = 0;
  // Tracks the session takes (the first ones).
  int selected = 0;
  // Per-event CPU clock reads cost the UI thread server calls of their own
  // under Wine, so only the breakdown pass makes them; the measured session
  // only counts.
  bool instrumented = false;
  bool readDone = false;
  HandlerCost readProgress, encodeProgress, finals;
  // UI thread CPU at the first and at the last event of the session: what
  // came before is the window's start, what comes after its end.
  double firstEventCpu = 0, lastEventCpu = 0;
  double firstEventWall = 0, lastEventWall = 0;
  // When each track's encode ended, and when each encode event came (a
  // clock read costs no server call).
  std::vector<double> trackEnds, marks;

  Form1State& State() override { return state; }
  CdReader& Reader() override { return *reader_; }
  Mp3Encoder& Encoder() override { return *encoder_; }
  CddbClient& Cddb() override { return cddb_; }
  HWND MainWindow() { return main_; }
  int TrackListCount() override { return tracks; }
  bool TrackListSelected(int i) override { return i < selected; }
  int TrackListSelectedCount() override { return selected; }
  std::wstring OutputFolder() override { return folder_; }
  std::wstring Prefix() override { return L"Track"; }

  void ReadProgress(int32_t p) override {
    Timed t(this, readProgress);
    SessionReadProgress(*this, p);
  }
  void ReadDone() override {
    Timed t(this, finals);
    readDone = true;
    SessionReadDone(*this);
  }
  void ReadError(int32_t c, const std::wstring& m) override {
    Timed t(this, finals);
    readDone = true;
    fwprintf(stderr, L"read error %d: %ls\n", c, m.c_str());
    SessionReadError(*this, c, m);
  }
  void EncodeProgress(int32_t d) override {
    Timed t(this, encodeProgress);
    marks.push_back(Now());
    SessionEncodeProgress(*this, d);
  }
  void EncodeDone() override {
    Timed t(this, finals);
    trackEnds.push_back(Now());
    marks.push_back(trackEnds.back());
    SessionEncodeDone(*this);
  }

 private:
  // Thread CPU, not wall: the machine may be busy with other work. Its
  // clock ticks coarsely, but the sum over many events stays fair.
  struct Timed {
    HandlerCost& c;
    BenchHost* host;
    double t0;
    Timed(BenchHost* h, HandlerCost& cost) : c(cost), host(h), t0(h->instrumented ? ThreadCpu() : 0) {
      if (host->firstEventWall == 0) {
        host->firstEventCpu = t0;
        host->firstEventWall = Now();
      }
    }
    ~Timed() {
      ++c.count;
      host->lastEventWall = Now();
      if (!host->instrumented) return;
      host->lastEventCpu = ThreadCpu();
      c.seconds += std::max(0.0, host->lastEventCpu - t0);
    }
  };
  std::unique_ptr<CdReader> reader_;
  std::unique_ptr<Mp3Encoder> encoder_;
  NoCddb cddb_;
  std::wstring folder_;
  HWND main_;
};

// The plain loop: the WAV file through LAME with the encoder's settings.
// Marks the times at which the encoder would post its events for the same
// file: each reported percent, the total, and the end.
bool EncodePlain(const std::wstring& wav, const std::wstring& mp3, std::vector<double>& marks) {
  std::unique_ptr<ProgressThrottle> throttle;
  const bool ok = EncodePlainFile(wav, mp3, false, [&](uint64_t framesDone, unsigned long frames, bool end) {
    const int32_t total = ProgressTotalFor(frames);
    if (!throttle) throttle = std::make_unique<ProgressThrottle>(total);
    if (end) {
      if (throttle->ShouldReport(total, GetTickCount64())) marks.push_back(Now());
      return;
    }
    const int32_t done = ProgressDoneFor(framesDone, frames);
    if (done < total && throttle->ShouldReport(done, GetTickCount64())) marks.push_back(Now());
  });
  marks.push_back(Now());
  return ok;
}

std::vector<uint8_t> ReadWhole(const std::wstring& path) {
  std::vector<uint8_t> data;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return data;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  data.resize(size_t(size.QuadPart));
  DWORD got = 0;
  if (!ReadFile(h, data.data(), DWORD(data.size()), &got, nullptr)) got = 0;
  data.resize(got);
  CloseHandle(h);
  return data;
}

// The parts of the plain loop, each over every track: reading the WAV back
// in the encoder's chunks, LAME from memory, writing the MP3 in the pieces
// LAME returned, flushing it, and the rename from its temporary name.
struct PlainParts {
  Span wavRead, lame, mp3Write, flush, rename;
};

bool MeasurePlainParts(const std::wstring& wav, const std::wstring& mp3, PlainParts& p) {
  std::vector<short> pcm(kPlainChunkFrames * 2);
  HANDLE in = CreateFileW(wav.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  SetFilePointer(in, 44, nullptr, FILE_BEGIN);
  DWORD got = 0;
  p.wavRead.Start();
  while (ReadFile(in, pcm.data(), kPlainChunkFrames * 4, &got, nullptr) && got > 0) {}
  p.wavRead.Stop();
  CloseHandle(in);

  const std::vector<uint8_t> data = ReadWhole(wav);
  if (data.size() < 44) return false;
  const short* samples = reinterpret_cast<const short*>(data.data() + 44);
  const size_t frames = (data.size() - 44) / 4;
  std::vector<unsigned char> buf(kPlainChunkFrames * 5 / 4 + 7200);
  std::vector<std::vector<unsigned char>> pieces;
  p.lame.Start();
  lame_t l = NewPlainLame(static_cast<unsigned long>(frames));
  for (size_t at = 0; at < frames; at += kPlainChunkFrames) {
    const int n = int(frames - at < size_t(kPlainChunkFrames) ? frames - at : kPlainChunkFrames);
    const int m = lame_encode_buffer_interleaved(l, const_cast<short*>(samples + at * 2), n, buf.data(),
                                                 int(buf.size()));
    if (m < 0) return false;
    pieces.emplace_back(buf.begin(), buf.begin() + m);
  }
  const int m = lame_encode_flush(l, buf.data(), int(buf.size()));
  if (m < 0) return false;
  pieces.emplace_back(buf.begin(), buf.begin() + m);
  unsigned char tag[2880];
  const size_t t = lame_get_lametag_frame(l, tag, sizeof tag);
  lame_close(l);
  p.lame.Stop();

  const std::wstring temp = mp3 + L".part";
  p.mp3Write.Start();
  HANDLE out = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = true;
  for (const auto& piece : pieces)
    if (!piece.empty()) ok = ok && WriteFile(out, piece.data(), DWORD(piece.size()), &put, nullptr);
  SetFilePointer(out, 0, nullptr, FILE_BEGIN);
  ok = ok && WriteFile(out, tag, DWORD(t), &put, nullptr);
  p.mp3Write.Stop();
  p.flush.Start();
  ok = ok && FlushFileBuffers(out);
  p.flush.Stop();
  CloseHandle(out);
  p.rename.Start();
  ok = ok && MoveFileExW(temp.c_str(), mp3.c_str(), MOVEFILE_REPLACE_EXISTING);
  p.rename.Stop();
  return ok;
}

// Discards what the read loop writes, so that the image read is timed alone.
class NullSink : public cdr::WavSink {
 public:
  bool Append(const uint8_t*, size_t, std::wstring&) override { return true; }
  bool RewriteHeader(const uint8_t*, size_t, std::wstring&) override { return true; }
};

bool MeasureImageRead(const std::wstring& cue, Span& span) {
  std::wstring why;
  auto device = cdr::OpenDiscImage(cue, why);
  cdr::DiscInfo disc;
  if (!device || !device->ReadToc(disc, why)) return false;
  NullSink sink;
  std::atomic<bool> abort{false};
  span.Start();
  for (int t = 1; t <= disc.AudioCount(); ++t) {
    const cdr::DiscTrack* track = disc.Audio(t);
    if (cdr::ReadTrackFrames(*device, track->startLba, track->endLba, sink, abort, nullptr).outcome !=
        cdr::ReadOutcome::Done)
      return false;
  }
  span.Stop();
  return true;
}

void PrintCounts(const char* name, const std::map<UINT, long>& counts) {
  // The few kinds that matter get names; the rest are summed.
  const std::map<UINT, const char*> names = {{WM_APP + 1, "event"},         {WM_PAINT, "paint"},
                                             {WM_ERASEBKGND, "erase"},      {WM_TIMER, "timer"},
                                             {WM_WINDOWPOSCHANGED, "move"}, {WM_SETTEXT, "settext"},
                                             {LB_ADDSTRING, "addline"},     {WM_NCPAINT, "ncpaint"}};
  long other = 0;
  for (const auto& [msg, n] : counts) {
    auto it = names.find(msg);
    if (it != names.end())
      printf("%s_%s=%ld\n", name, it->second, n);
    else
      other += n;
  }
  printf("%s_other=%ld\n", name, other);
}

// A host for one session over the disc's first `selected` tracks (all
// when 0), writing into `dir`; drive 0 is the last one, where the image
// comes after any real drive.
std::unique_ptr<BenchHost> MakeHost(const std::wstring& cue, int16_t drive, const std::wstring& dir,
                                    int selected = 0) {
  CreateDirectoryW(dir.c_str(), nullptr);
  auto host = std::make_unique<BenchHost>(CreateCdReader({cue}), CreateMp3Encoder(), dir);
  if (host->Reader().InitAspi() != 0 || host->Reader().DriveCount() < std::max<int16_t>(drive, 1))
    return nullptr;
  host->Reader().SelectDrive(drive > 0 ? drive : host->Reader().DriveCount());
  host->tracks = host->Reader().TrackCount();
  host->selected = selected > 0 ? selected : host->tracks;
  ProgressWindowPrepare(*host);
  return host;
}

// From `start`, the stretches between the marks; the last runs to `end`.
std::vector<double> Stretches(double start, const std::vector<double>& marks, double end) {
  std::vector<double> out;
  for (double m : marks) {
    out.push_back(m - start);
    start = m;
  }
  if (!out.empty()) out.back() += end - start;
  return out;
}

// The sum over the pieces of each piece's best run; 0 when the runs were
// not cut into the same pieces.
double SumOfBest(const std::vector<std::vector<double>>& runs) {
  for (const auto& run : runs)
    if (run.size() != runs[0].size()) return 0;
  double sum = 0;
  for (size_t i = 0; i < runs[0].size(); ++i) {
    double best = runs[0][i];
    for (const auto& run : runs) best = std::min(best, run[i]);
    sum += best;
  }
  return sum;
}

// Per-track and per-event times of the runs of one side, and what the side
// costs when each track, or each stretch between events, counts its best run.
struct Runs {
  std::vector<std::vector<double>> tracks;    // [run][track]
  std::vector<std::vector<double>> segments;  // [run][event], from one encode event to the next
  std::vector<double> walls, cpus;
  // Each track counts its best run.
  double BestPerTrack() const { return SumOfBest(tracks); }
  // The same, piece by piece: each stretch between two encode events (the
  // first of a track holds its read) counts its best run. Slow spells of
  // the machine last seconds and hit some rounds, so this filters them
  // finer than whole tracks do. 0 when the rounds do not have the same
  // events.
  double BestPerSegment() const { return SumOfBest(segments); }
  double BestWall() const { return *std::min_element(walls.begin(), walls.end()); }
  double BestCpu() const { return *std::min_element(cpus.begin(), cpus.end()); }
  std::string List() const {
    std::string s;
    char one[32];
    for (double w : walls) {
      snprintf(one, sizeof one, "%s%.3f", s.empty() ? "" : ",", w);
      s += one;
    }
    return s;
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) {
    fprintf(stderr, "usage: session_bench DISC.cue OUTDIR WAVDIR [ROUNDS]\n");
    return 2;
  }
  const std::wstring cue = argv[1], outDir = argv[2], wavDir = argv[3];
  const int rounds = argc == 5 ? std::max(1, _wtoi(argv[4])) : 3;
  if (!UiDispatchInit()) return 1;
  SetUserMessageHook([](const std::wstring& text, UINT) {
    fwprintf(stderr, L"message: %ls\n", text.c_str());
    return IDOK;
  });
  auto reads = MakeHost(cue, 0, outDir);
  if (!reads) return 1;
  const int16_t drive = reads->Reader().DriveCount();
  const int tracks = reads->tracks;
  double audio = 0;
  for (int16_t t = 1; t <= tracks; ++t) audio += reads->Reader().TrackLength(t) / 1000.0;

  // The WAV files for the plain loop (and for Debian's lame); the reads
  // alone count their best round too.
  double readOnly = 0;
  for (int r = 0; r < rounds; ++r) {
    const double t0 = Now();
    reads->Reader().BeginSession();
    for (int16_t t = 1; t <= tracks; ++t) {
      reads->readDone = false;
      wchar_t name[32];
      swprintf(name, 32, L"\\Track%02d.wav", t);
      if (reads->Reader().ReadTrackToWav(t, wavDir + name) != 0) return 1;
      if (!WaitForFlag(reads->readDone)) return 1;
    }
    reads->Reader().EndSession();
    readOnly = r == 0 ? Now() - t0 : std::min(readOnly, Now() - t0);
  }
  Span image;
  if (!MeasureImageRead(cue, image)) return 1;

  Runs plain, session;
  const auto plainLoop = [&]() {
    std::vector<double> times, marks;
    const double c0 = ProcessCpu(), w0 = Now();
    for (int t = 1; t <= tracks; ++t) {
      wchar_t wav[32], mp3[32];
      swprintf(wav, 32, L"\\Track%02d.wav", t);
      swprintf(mp3, 32, L"\\Plain%02d.mp3", t);
      const double t0 = Now();
      if (!EncodePlain(wavDir + wav, wavDir + mp3, marks)) return false;
      times.push_back(Now() - t0);
    }
    plain.walls.push_back(Now() - w0);
    plain.segments.push_back(Stretches(w0, marks, w0 + plain.walls.back()));
    plain.cpus.push_back(ProcessCpu() - c0);
    plain.tracks.push_back(times);
    return true;
  };
  // One whole session; nothing of the bench's own runs on the UI thread
  // meanwhile. A track's time runs from the previous track's encode end,
  // so the first track carries the session's start and the last its end.
  std::vector<double> uiShares;
  double uiCpuAll = 0;
  std::unique_ptr<BenchHost> first;
  double startWall = 0, endWall = 0;
  const auto runSession = [&](int r) {
    auto h = MakeHost(cue, drive, r == 0 ? outDir : outDir + L"\\round" + std::to_wstring(r + 1));
    if (!h) return false;
    const double ui0 = ThreadCpu(), c0 = ProcessCpu(), w0 = Now();
    RunSession(*h, h->MainWindow());
    const double wall = Now() - w0;
    uiCpuAll += ThreadCpu() - ui0;
    uiShares.push_back((ThreadCpu() - ui0) / wall);
    session.walls.push_back(wall);
    session.cpus.push_back(ProcessCpu() - c0);
    if (int(h->trackEnds.size()) != tracks) {
      fprintf(stderr,
              "session bench: the session encoded %d of %d tracks (no display? see the messages above)\n",
              int(h->trackEnds.size()), tracks);
      return false;
    }
    std::vector<double> times;
    double from = w0;
    for (double end : h->trackEnds) {
      times.push_back(end - from);
      from = end;
    }
    times.back() += w0 + wall - from;
    session.tracks.push_back(times);
    session.segments.push_back(Stretches(w0, h->marks, w0 + wall));
    if (r == 0) {
      startWall = h->firstEventWall - w0;
      endWall = w0 + wall - h->lastEventWall;
      first = std::move(h);
    }
    return true;
  };
  // Turns alternate, so that neither side always comes first.
  for (int r = 0; r < rounds; ++r) {
    const bool ok =
        r % 2 == 0 ? OnOwnThread(plainLoop) && runSession(r) : runSession(r) && OnOwnThread(plainLoop);
    if (!ok) return 1;
  }
  // The UI thread's clock ticks in hundredths of a second under Wine: the
  // share over all rounds together is the steadier figure.
  double sessionWallAll = 0;
  for (double w : session.walls) sessionWallAll += w;
  const double uiShare = uiCpuAll / sessionWallAll;
  const double uiShareMax = *std::max_element(uiShares.begin(), uiShares.end());
  const double uiShareMin = *std::min_element(uiShares.begin(), uiShares.end());

  // The breakdown pass: the first track again, into a folder of its own,
  // with the UI thread's messages counted and each handler clocked.
  auto probe = MakeHost(cue, drive, outDir + L"\\breakdown", 1);
  if (!probe) return 1;
  probe->instrumented = true;
  HHOOK posted = SetWindowsHookExW(WH_GETMESSAGE, CountPosted, nullptr, GetCurrentThreadId());
  HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, CountSent, nullptr, GetCurrentThreadId());
  g_counting = true;
  const double probeCpu0 = ThreadCpu();
  RunSession(*probe, probe->MainWindow());
  const double probeUiCpu = ThreadCpu() - probeCpu0;
  g_counting = false;
  if (posted) UnhookWindowsHookEx(posted);
  if (sent) UnhookWindowsHookEx(sent);

  PlainParts parts;
  const bool partsOk = OnOwnThread([&] {
    for (int t = 1; t <= tracks; ++t) {
      wchar_t wav[32], mp3[32];
      swprintf(wav, 32, L"\\Track%02d.wav", t);
      swprintf(mp3, 32, L"\\Parts%02d.mp3", t);
      if (!MeasurePlainParts(wavDir + wav, wavDir + mp3, parts)) return false;
    }
    return true;
  });
  if (!partsOk) return 1;

  // Stretch by stretch when every round had the same events, else track
  // by track.
  const bool bySegment = session.BestPerSegment() > 0 && plain.BestPerSegment() > 0;
  const double sessionBest = bySegment ? session.BestPerSegment() : session.BestPerTrack();
  const double plainBest = bySegment ? plain.BestPerSegment() : plain.BestPerTrack();
  printf(
      "audio_seconds=%.1f\ntracks=%d\nrounds=%d\nread_seconds=%.3f\nsession_seconds=%.3f\n"
      "plain_seconds=%.3f\nsession_cpu_seconds=%.3f\nplain_cpu_seconds=%.3f\n",
      audio, tracks, rounds, readOnly, sessionBest, plainBest, session.BestCpu(), plain.BestCpu());
  printf("best_of=%s\nsession_stretches=%zu\nplain_stretches=%zu\n", bySegment ? "stretch" : "track",
         session.segments[0].size(), plain.segments[0].size());
  printf("session_track_seconds=%.3f\nplain_track_seconds=%.3f\n", session.BestPerTrack(),
         plain.BestPerTrack());
  printf("ui_share=%.5f\nui_share_min=%.5f\nui_share_max=%.5f\n", uiShare, uiShareMin, uiShareMax);
  printf("session_best_run_seconds=%.3f\nplain_best_run_seconds=%.3f\n", session.BestWall(),
         plain.BestWall());
  printf("session_runs=%s\nplain_runs=%s\n", session.List().c_str(), plain.List().c_str());
  const auto span = [](const char* name, const Span& s) {
    printf("%s_seconds=%.3f\n%s_cpu_seconds=%.3f\n", name, s.wall, name, s.cpu);
  };
  span("image_read", image);
  span("wav_read", parts.wavRead);
  span("lame", parts.lame);
  span("mp3_write", parts.mp3Write);
  span("mp3_flush", parts.flush);
  span("mp3_rename", parts.rename);
  const auto handler = [](const char* name, const HandlerCost& c) {
    printf("%s_events=%ld\n%s_handler_seconds=%.4f\n", name, c.count, name, c.seconds);
  };
  printf("read_progress_events=%ld\nencode_progress_events=%ld\nfinal_events=%ld\n",
         first->readProgress.count, first->encodeProgress.count, first->finals.count);
  printf("start_seconds=%.3f\nend_seconds=%.3f\n", startWall, endWall);
  printf("probe_ui_cpu_seconds=%.3f\n", probeUiCpu);
  handler("probe_read_progress", probe->readProgress);
  handler("probe_encode_progress", probe->encodeProgress);
  handler("probe_final", probe->finals);
  printf("probe_ui_start_cpu_seconds=%.3f\nprobe_ui_end_cpu_seconds=%.3f\n", probe->firstEventCpu - probeCpu0,
         std::max(0.0, probeCpu0 + probeUiCpu - probe->lastEventCpu));
  PrintCounts("posted", g_posted);
  PrintCounts("sent", g_sent);
  ProgressWindowUnload();
  UiDispatchShutdown();
  return 0;
}
