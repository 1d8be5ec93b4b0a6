#include "ripper/engine/session.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "ripper/engine/encoder_slots.h"
#include "ripper/engine/progress_math.h"
#include "ripper/engine/session_lines.h"
#include "ripper/engine/session_names.h"
#include "ripper/engine/title_file_name.h"
#include "ripper/engine/track_tags.h"
#include "ripper/engine/verify_lines.h"
#include "ripper/engine/verify_report.h"

namespace {

// Set from the moment the progress window is shown until the session ends.
SessionView* g_view = nullptr;
SessionFiles* g_files = nullptr;
bool g_running = false;

// Verified rips: the options read at the start and the disc's lookup.
RipOptions g_options;
bool g_lookupPending = false;
bool g_haveLookup = false;
ArLookupResult g_lookup;
std::vector<TrackReport> g_reports;

// Every session line goes to the log and to the progress list.
void Say(const std::wstring& line) {
  g_files->WriteLogLine(line);
  g_view->AddLine(line);
}

// A quit while waiting ends the session as ABORT would, without asking.
void Wait(SessionHost& host) {
  if (!g_view->WaitFor(host.State().OperationDone)) SessionRequestAbort(host);
}

enum class WavState { Missing, Empty, HasAudio };

WavState CheckWav(const std::wstring& path) {
  const long long size = g_files->FileSize(path);
  if (size < 0) return WavState::Missing;
  // 44 bytes: a WAV header without any sample data.
  if (size == 44) return WavState::Empty;
  return WavState::HasAudio;
}

// The end of a refused read, held while its message box is up.
struct HeldReadEnd {
  bool held = false;
  bool error = false;
  int32_t code = 0;
  std::wstring message;
};
bool g_holdReadEnd = false;
HeldReadEnd g_heldReadEnd;

void ReleaseHeldReadEnd(SessionHost& host) {
  if (!g_heldReadEnd.held) return;
  const HeldReadEnd e = g_heldReadEnd;
  g_heldReadEnd = HeldReadEnd{};
  if (e.error)
    SessionReadError(host, e.code, e.message);
  else
    SessionReadDone(host);
}

std::wstring Mp3PathFor(SessionHost& host, const std::wstring& folder, int track) {
  Form1State& st = host.State();
  if (st.UseCddb != kVbTrue) return Mp3FilePath(folder, host.Prefix(), track);
  int16_t n = static_cast<int16_t>(track);
  const std::wstring title = host.Cddb().TrackTitle(n);
  // A record with fewer titles than the disc has tracks: the plain name.
  if (title.empty()) return Mp3FilePath(folder, host.Prefix(), track);
  return TitleMp3Path(folder, track, title);
}

Mp3Tags SessionTrackTags(SessionHost& host, int track) {
  const bool useCddb = host.State().UseCddb == kVbTrue;
  std::wstring title;
  if (useCddb) {
    int16_t n = static_cast<int16_t>(track);
    title = host.Cddb().TrackTitle(n);
  }
  return TrackTags(track, host.TrackListCount(), useCddb, title, CurrentCddbDiscDetails());
}

// ---- the pipeline ------------------------------------------------------------
//
// One read at a time; each finished read goes to a free encoder slot while
// the next read starts. Lines belong to their track: the oldest unfinished
// track writes at once, later ones hold theirs until every track before them
// is finished, so the log reads track by track. With one encoder the next
// read waits for the encode, and the session is the one-at-a-time session.

struct TrackJob {
  int n = 0, left = 0;
  std::wstring wavPath, mp3Path;
  std::vector<std::wstring> held;
  bool finished = false;
  bool readOk = false;  // ReadDone with audio: proof is this track's
  TrackProof proof;     // taken as its read ended, before the next read starts
  int16_t bitRate = 128;
  int slot = -1;
  int32_t encodeDone = 0, encodeTotal = 1;
};

struct Pipeline {
  int slots = 1;
  std::deque<std::unique_ptr<TrackJob>> open;  // unfinished or held, in track order
  TrackJob* reading = nullptr;
  int32_t readPerMille = 0;
  std::deque<TrackJob*> waiting;  // read, waiting for an encoder
  std::vector<TrackJob*> encoding;  // by slot
  std::vector<bool> encodeEnded;    // by slot: its EncodeDone came
  bool readEnded = false;
  int readsDone = 0, encodesDone = 0;
  std::wstring status;
};
Pipeline* g_pipe = nullptr;

// Files waiting for an encoder, beyond those being encoded: the reader stops
// there so that a fast drive cannot fill the disk with WAV files.
int WaitingBound(int slots) { return slots + 2; }

void SayFor(TrackJob* job, const std::wstring& line) {
  if (!job || !g_pipe || g_pipe->open.empty() || g_pipe->open.front().get() == job)
    Say(line);
  else
    job->held.push_back(line);
}

// The finished tracks at the head give up their lines, and the next
// unfinished one writes its held lines and from then on writes at once.
void ReleaseLines() {
  auto& open = g_pipe->open;
  while (!open.empty()) {
    TrackJob& head = *open.front();
    for (const std::wstring& line : head.held) Say(line);
    head.held.clear();
    if (!head.finished) break;
    open.pop_front();
  }
}

void FinishTrack(TrackJob* job) {
  if (g_options.AnyCheck()) {
    TrackReport r = ReportTrack(g_options, g_haveLookup ? &g_lookup : nullptr, job->n, job->readOk, job->proof);
    for (const std::wstring& line : r.lines) SayFor(job, line);
    g_reports.push_back(std::move(r));
  }
  job->finished = true;
  ++g_pipe->encodesDone;
  ReleaseLines();
}

int EncodesInFlight() {
  int n = 0;
  for (TrackJob* j : g_pipe->encoding) n += j != nullptr;
  return n;
}

void ShowStatus() {
  Pipeline& p = *g_pipe;
  std::vector<int> tracks;
  int left = 0;
  for (TrackJob* j : p.encoding)
    if (j) tracks.push_back(j->n), left = j->left;
  std::sort(tracks.begin(), tracks.end());
  const std::wstring text =
      PipelineStatus(p.reading ? p.reading->n : 0, p.reading ? p.reading->left : 0, tracks, left);
  // Nothing running: the last text stays, as it always has.
  if (text.empty() || text == p.status) return;
  p.status = text;
  g_view->SetStatus(text);
}

void ShowEncodeBar(SessionHost& host) {
  std::vector<EncodeAmount> amounts;
  for (TrackJob* j : g_pipe->encoding)
    if (j) amounts.push_back({j->encodeDone, j->encodeTotal});
  if (amounts.empty()) return;
  g_view->SetBarWidth(3, EncodeBarWidth(host.State().BarFullWidth, CombinedEncodePercent(amounts)));
}

void ShowAllTracksBar(SessionHost& host) {
  const Pipeline& p = *g_pipe;
  double fractions = 0;
  for (TrackJob* j : p.encoding)
    if (j && j->encodeTotal > 0) fractions += double(j->encodeDone) / j->encodeTotal;
  const Form1State& st = host.State();
  g_view->SetBarWidth(1, PipelineAllTracksWidth(st.BarFullWidth, st.SelectedTotal, p.readsDone,
                                                p.reading ? p.readPerMille : 0, p.encodesDone, fractions));
}

void StartRead(SessionHost& host, int n) {
  Form1State& st = host.State();
  SessionView& view = *g_view;
  Pipeline& p = *g_pipe;
  if (EncodesInFlight() == 0) view.SetBarWidth(3, 0.0f);
  auto job = std::make_unique<TrackJob>();
  job->n = n;
  const std::wstring folder = host.OutputFolder();
  job->wavPath = WavFilePath(folder, host.Prefix(), n);
  job->mp3Path = Mp3PathFor(host, folder, n);
  st.SelectedOrdinal = static_cast<int16_t>(st.SelectedOrdinal + 1);
  job->left = TracksLeft(st.SelectedTotal, st.SelectedOrdinal);
  p.reading = job.get();
  p.readPerMille = 0;
  p.readEnded = false;
  p.open.push_back(std::move(job));
  TrackJob* r = p.reading;
  ShowStatus();
  st.ReadFailed = kVbFalse;
  if (host.Reader().ReadTrackToWav(static_cast<int16_t>(n), r->wavPath) != 0) {
    // The refused read's ReadError is already queued and the message box
    // would dispatch it: hold it until the "Reading Track" line is out.
    g_holdReadEnd = true;
    view.Tell(L"Error: can not read track!");
    g_holdReadEnd = false;
  }
  SayFor(r, ReadingTrackLine(n, r->left));
  ReleaseHeldReadEnd(host);
}

// The read's end: its proof, the WAV's checks; a WAV with audio waits for
// an encoder, any other track is finished here.
void EndRead(SessionHost& host) {
  Form1State& st = host.State();
  Pipeline& p = *g_pipe;
  TrackJob* job = p.reading;
  p.reading = nullptr;
  p.readEnded = false;
  ++p.readsDone;
  job->bitRate = st.BitRate;
  // One encoder is idle now and hears the bit rate as it always has.
  if (p.slots == 1) host.SlotEncoder(0).SetBitRateKbit(st.BitRate);
  const bool failed = st.ReadFailed == kVbTrue;
  switch (CheckWav(job->wavPath)) {
    case WavState::Empty:
      SayFor(job, InvalidLengthLine(job->n));
      FinishTrack(job);
      return;
    case WavState::Missing:
      // After a read error the log already says why.
      if (!failed) SayFor(job, MissingWavLine(job->n));
      FinishTrack(job);
      return;
    case WavState::HasAudio:
      break;
  }
  job->readOk = !failed;
  // Asked for only after a ReadDone: after a ReadError the proof would still
  // be the track before's.
  if (job->readOk && g_options.AnyCheck()) job->proof = host.Reader().LastTrackProof();
  if (failed) {
    // Nothing is prepared after a read error: the file holds no whole track.
    if (!g_files->Delete(job->wavPath)) SayFor(job, DeleteFailedLine(job->wavPath));
    FinishTrack(job);
    return;
  }
  p.waiting.push_back(job);
}

void StartEncode(SessionHost& host, TrackJob* job, int slot) {
  Form1State& st = host.State();
  Pipeline& p = *g_pipe;
  Mp3Encoder& enc = host.SlotEncoder(slot);
  if (p.slots > 1) enc.SetBitRateKbit(job->bitRate);
  st.EncodeStatus = enc.SetFiles(job->wavPath, job->mp3Path);
  if (st.EncodeStatus != 0) {
    // The audio exists only in the WAV file now: keep it.
    std::wstring why = enc.FailureReason();
    if (why.empty()) why = L"encoder status " + std::to_wstring(st.EncodeStatus);
    SayFor(job, NoMp3Line(job->n, why));
    FinishTrack(job);
    return;
  }
  enc.SetTags(SessionTrackTags(host, job->n));
  job->slot = slot;
  job->encodeDone = 0;
  job->encodeTotal = enc.ProgressTotal();
  p.encoding[static_cast<size_t>(slot)] = job;
  p.encodeEnded[static_cast<size_t>(slot)] = false;
  ShowStatus();
  SayFor(job, EncodingTrackLine(job->n, job->left));
  enc.StartEncoding();
}

void EndEncode(SessionHost& host, int slot) {
  Pipeline& p = *g_pipe;
  TrackJob* job = p.encoding[static_cast<size_t>(slot)];
  p.encoding[static_cast<size_t>(slot)] = nullptr;
  p.encodeEnded[static_cast<size_t>(slot)] = false;
  std::wstring why = host.SlotEncoder(slot).FailureReason();
  if (why.empty() && g_files->FileSize(job->mp3Path) < 0) why = L"the MP3 file is missing";
  if (!why.empty())
    SayFor(job, NoMp3Line(job->n, why));
  else if (!g_files->Delete(job->wavPath))
    SayFor(job, DeleteFailedLine(job->wavPath));
  FinishTrack(job);
  if (p.slots > 1) {
    ShowEncodeBar(host);
    ShowStatus();
  }
}

// ABORT: the read and every encode stop; each track in flight keeps its WAV
// and says where it stopped, in track order.
void AbortAll(SessionHost& host) {
  Pipeline& p = *g_pipe;
  for (int s = 0; s < p.slots; ++s)
    if (p.encoding[static_cast<size_t>(s)]) host.SlotEncoder(s).RequestAbort();
  for (auto& job : p.open) {
    TrackJob* j = job.get();
    if (j->finished) continue;
    if (j == p.reading) {
      SayFor(j, kReadingAbortedLine);
    } else if (j->slot >= 0 && p.encoding[static_cast<size_t>(j->slot)] == j) {
      host.SlotEncoder(j->slot).AbortEncoding();
      p.encoding[static_cast<size_t>(j->slot)] = nullptr;
      SayFor(j, kEncodingAbortedLine);
    } else {
      SayFor(j, NoMp3Line(j->n, L"the session was aborted before its encode"));
    }
    j->finished = true;
  }
  ReleaseLines();
}

// Reads, checks, encodes and deletes the selected tracks, each followed by
// what the checks found. False when the user aborted.
bool RunTracks(SessionHost& host) {
  Form1State& st = host.State();
  Pipeline p;
  p.slots = std::clamp(host.EncoderSlots(), 1, kMaxEncoderSlots);
  p.encoding.assign(static_cast<size_t>(p.slots), nullptr);
  p.encodeEnded.assign(static_cast<size_t>(p.slots), false);
  g_pipe = &p;
  const int count = host.TrackListCount();
  int next = 0;
  auto nextSelected = [&] {
    while (next < count && !host.TrackListSelected(next)) ++next;
    return next < count;
  };
  bool aborted = false;
  for (;;) {
    for (int s = 0; s < p.slots && !p.waiting.empty(); ++s) {
      if (p.encoding[static_cast<size_t>(s)]) continue;
      TrackJob* job = p.waiting.front();
      p.waiting.pop_front();
      StartEncode(host, job, s);
    }
    const int busy = EncodesInFlight();
    const bool mayRead = p.slots == 1 ? busy == 0 && p.waiting.empty()
                                      : static_cast<int>(p.waiting.size()) < WaitingBound(p.slots);
    if (!p.reading && mayRead && nextSelected()) {
      StartRead(host, ++next);
      continue;  // a refused read may have ended already
    }
    if (!p.reading && busy == 0 && p.waiting.empty()) break;
    bool pending = p.reading && p.readEnded;
    for (bool e : p.encodeEnded) pending = pending || e;
    // An ABORT inside the message box of a refused read has already come.
    if (!pending && st.AbortRequested != kVbTrue) {
      st.OperationDone = false;
      Wait(host);
    }
    if (st.AbortRequested == kVbTrue) {
      AbortAll(host);
      aborted = true;
      break;
    }
    for (int s = 0; s < p.slots; ++s)
      if (p.encoding[static_cast<size_t>(s)] && p.encodeEnded[static_cast<size_t>(s)]) EndEncode(host, s);
    if (p.reading && p.readEnded) EndRead(host);
  }
  g_pipe = nullptr;
  return !aborted;
}

// The disc's one lookup, before the first read. False when the user aborted.
bool LookUpDisc(SessionHost& host) {
  g_haveLookup = false;
  AccurateRipDb* db = host.AccurateRip();
  DiscToc toc;
  if (!db) {
    Say(LookupFailedLine(L"this wavequill has no AccurateRip client"));
    return true;
  }
  if (!host.Reader().SelectedToc(toc)) {
    Say(kLookupNoTocLine);
    return true;
  }
  Form1State& st = host.State();
  g_view->SetStatus(kLookupStatus);
  st.OperationDone = false;
  g_lookupPending = true;
  if (db->BeginLookup(toc) != 0) {
    g_lookupPending = false;
    g_lookup = db->Result();
    g_lookup.status = ArLookupStatus::Failed;
    if (g_lookup.error.empty()) g_lookup.error = L"the lookup was refused";
  } else {
    Wait(host);
    g_lookupPending = false;
    // SessionRequestAbort has ended the lookup.
    if (st.AbortRequested == kVbTrue) {
      Say(kLookupAbortedLine);
      return false;
    }
    g_lookup = db->Result();
  }
  g_haveLookup = true;
  switch (g_lookup.status) {
    case ArLookupStatus::Found:
      Say(LookupFoundLine(g_lookup.discName));
      break;
    case ArLookupStatus::NotFound:
      Say(LookupNotFoundLine(g_lookup.discName));
      break;
    default:
      if (g_lookup.error.empty()) g_lookup.error = L"no answer";
      Say(LookupFailedLine(g_lookup.error));
      break;
  }
  return true;
}

// The closing lines of a verified rip.
void SayVerifySummary() {
  if (!g_options.verify || g_reports.empty()) return;
  int accurate = 0;
  for (const TrackReport& r : g_reports) accurate += r.accurate;
  Say(AccurateSummaryLine(accurate, static_cast<int>(g_reports.size())));
  int32_t offset = 0;
  if (g_haveLookup && g_lookup.status == ArLookupStatus::Found &&
      ProposeOffset(g_options.read.offsetSamples, g_reports, offset))
    Say(OffsetProposalLine(offset));
}

void EndSession(SessionHost& host) {
  SayVerifySummary();
  g_reports.clear();
  g_haveLookup = false;
  g_lookup = ArLookupResult{};
  for (int bar = 1; bar <= 3; ++bar) g_view->SetBarWidth(bar, 0.0f);
  g_view->Beep();
  Say(EndingSessionLine(g_files->Date(), g_files->Time()));
  g_files->WriteLogLine(L"");
  g_files->CloseLog();
  host.Reader().EndSession();
  g_view->Ended();
  g_running = false;
  g_view = nullptr;
  g_files = nullptr;
}

}  // namespace

bool SessionIsRunning() { return g_running; }

void RunSession(SessionHost& host, SessionView& view, SessionFiles& files) {
  if (g_running) return;  // only the wait loop could re-enter
  if (host.TrackListSelectedCount() < 1) return;
  Form1State& st = host.State();
  if (!view.Open()) return;
  g_view = &view;
  g_files = &files;
  g_running = true;
  st.AbortRequested = kVbFalse;
  g_options = host.Options();
  g_reports.clear();
  // Always set, so that an offset applies to plain rips too and a host
  // that asks for nothing gets the reader's defaults back.
  ReadOptions read = g_options.read;
  read.checksums = g_options.verify;
  host.Reader().SetReadOptions(read);
  host.Reader().BeginSession();
  st.SelectedTotal = static_cast<int16_t>(host.TrackListSelectedCount());
  st.SelectedOrdinal = 0;

  const std::wstring logPath = LogFilePath(host.OutputFolder());
  if (files.OpenLog(logPath)) {
    Say(StartingSessionLine(files.Date(), files.Time()));
    if (!g_options.verify || LookUpDisc(host)) RunTracks(host);
  } else {
    // Without a log nothing is read: a folder the log cannot go into would
    // not take the WAV and MP3 files either.
    view.Tell(L"Error: can not write the session log " + logPath +
              L"\nNo track is read. Please choose another folder.");
  }
  EndSession(host);
}

void SessionReadProgress(SessionHost& host, int32_t perMille) {
  if (!g_running) return;
  const Form1State& st = host.State();
  ReadBarWidths w = ReadProgressWidths(st.BarFullWidth, perMille, st.SelectedTotal, st.SelectedOrdinal);
  g_view->SetBarWidth(2, w.thisTrack);
  if (g_pipe && g_pipe->slots > 1) {
    g_pipe->readPerMille = perMille;
    ShowAllTracksBar(host);
  } else {
    g_view->SetBarWidth(1, w.allTracks);
  }
}

void SessionReadDone(SessionHost& host) {
  if (g_holdReadEnd) {
    g_heldReadEnd = HeldReadEnd{true, false, 0, {}};
    return;
  }
  if (g_pipe) g_pipe->readEnded = true;
  host.State().OperationDone = true;
}

void SessionReadError(SessionHost& host, int32_t code, const std::wstring& message) {
  if (g_holdReadEnd) {
    g_heldReadEnd = HeldReadEnd{true, true, code, message};
    return;
  }
  // Outside a session there is no log to write to and no list to show it in.
  if (g_running) SayFor(g_pipe ? g_pipe->reading : nullptr, ReadErrorLine(code, message));
  if (g_pipe) g_pipe->readEnded = true;
  host.State().OperationDone = true;
  host.State().ReadFailed = kVbTrue;
}

void SessionEncodeProgress(SessionHost& host, int32_t amountDone) { SessionEncodeProgress(host, 0, amountDone); }

void SessionEncodeDone(SessionHost& host) { SessionEncodeDone(host, 0); }

void SessionEncodeProgress(SessionHost& host, int slot, int32_t amountDone) {
  if (!g_running) return;
  if (!g_pipe || g_pipe->slots == 1) {
    const int32_t percent = EncodePercent(amountDone, host.SlotEncoder(0).ProgressTotal());
    g_view->SetBarWidth(3, EncodeBarWidth(host.State().BarFullWidth, percent));
    return;
  }
  if (slot < 0 || slot >= g_pipe->slots) return;
  TrackJob* job = g_pipe->encoding[static_cast<size_t>(slot)];
  if (!job) return;
  job->encodeDone = amountDone;
  ShowEncodeBar(host);
  ShowAllTracksBar(host);
}

void SessionEncodeDone(SessionHost& host, int slot) {
  if (g_pipe && slot >= 0 && slot < g_pipe->slots) g_pipe->encodeEnded[static_cast<size_t>(slot)] = true;
  host.State().OperationDone = true;
}

void SessionLookupDone(SessionHost& host) {
  // A late answer (after ABORT, or outside a session) ends no wait.
  if (!g_lookupPending) return;
  host.State().OperationDone = true;
}

void SessionRequestAbort(SessionHost& host) {
  Form1State& st = host.State();
  st.AbortRequested = kVbTrue;
  st.OperationDone = true;
  // Also while encoders run: the session aborts those when it sees the flag.
  host.Reader().AbortRead();
  if (g_lookupPending && host.AccurateRip()) host.AccurateRip()->AbortLookup();
}
