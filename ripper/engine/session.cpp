#include "ripper/engine/session.h"

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

void DeleteWav(const std::wstring& path) {
  if (!g_files->Delete(path)) Say(DeleteFailedLine(path));
}

// Why the encode that just ended left no MP3 file; empty when it is there.
std::wstring EncodeFailure(SessionHost& host, const std::wstring& mp3Path) {
  std::wstring why = host.Encoder().FailureReason();
  if (!why.empty()) return why;
  if (g_files->FileSize(mp3Path) < 0) return L"the MP3 file is missing";
  return {};
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

enum class TrackEnd { Next, Aborted };

// Reads, checks, encodes and deletes track n. readOk: the read ended with
// ReadDone and left audio, so the reader's proof is this track's.
TrackEnd RipTrack(SessionHost& host, int n, bool& readOk) {
  Form1State& st = host.State();
  SessionView& view = *g_view;
  readOk = false;
  view.SetBarWidth(3, 0.0f);
  const std::wstring folder = host.OutputFolder();
  const std::wstring wavPath = WavFilePath(folder, host.Prefix(), n);
  const std::wstring mp3Path = Mp3PathFor(host, folder, n);
  st.SelectedOrdinal = static_cast<int16_t>(st.SelectedOrdinal + 1);
  st.OperationDone = false;
  const int left = TracksLeft(st.SelectedTotal, st.SelectedOrdinal);
  view.SetStatus(ReadingTrackStatus(n, left));
  st.ReadFailed = kVbFalse;
  if (host.Reader().ReadTrackToWav(static_cast<int16_t>(n), wavPath) != 0) {
    // The refused read's ReadError is already queued and the message box
    // would dispatch it: hold it until the "Reading Track" line is out.
    g_holdReadEnd = true;
    view.Tell(L"Error: can not read track!");
    g_holdReadEnd = false;
  }
  Say(ReadingTrackLine(n, left));
  ReleaseHeldReadEnd(host);
  Wait(host);
  if (st.AbortRequested == kVbTrue) {
    Say(kReadingAbortedLine);
    return TrackEnd::Aborted;
  }
  st.OperationDone = false;
  host.Encoder().SetBitRateKbit(st.BitRate);
  switch (CheckWav(wavPath)) {
    case WavState::Empty:
      Say(InvalidLengthLine(n));
      return TrackEnd::Next;
    case WavState::Missing:
      // After a read error the log already says why.
      if (st.ReadFailed != kVbTrue) Say(MissingWavLine(n));
      return TrackEnd::Next;
    case WavState::HasAudio:
      break;
  }
  readOk = st.ReadFailed != kVbTrue;
  // After a read error nothing is prepared: a prepared encode that never
  // starts would keep the WAV file open, and it could not be deleted.
  if (st.ReadFailed != kVbTrue) {
    st.EncodeStatus = host.Encoder().SetFiles(wavPath, mp3Path);
    if (st.EncodeStatus != 0) {
      // The audio exists only in the WAV file now: keep it.
      std::wstring why = host.Encoder().FailureReason();
      if (why.empty()) why = L"encoder status " + std::to_wstring(st.EncodeStatus);
      Say(NoMp3Line(n, why));
      return TrackEnd::Next;
    }
    host.Encoder().SetTags(SessionTrackTags(host, n));
    const std::wstring line = EncodingTrackLine(n, left);
    view.SetStatus(line);
    Say(line);
    host.Encoder().StartEncoding();
    Wait(host);
    if (st.AbortRequested == kVbTrue) {
      host.Encoder().AbortEncoding();
      Say(kEncodingAbortedLine);
      return TrackEnd::Aborted;
    }
    const std::wstring why = EncodeFailure(host, mp3Path);
    if (!why.empty()) {
      Say(NoMp3Line(n, why));
      return TrackEnd::Next;
    }
  }
  DeleteWav(wavPath);
  return TrackEnd::Next;
}

// Reads, checks, encodes and deletes the selected tracks, each followed by
// what the checks found. False when the user aborted.
bool RunTracks(SessionHost& host) {
  const int count = host.TrackListCount();
  for (int i = 0; i < count; ++i) {
    if (!host.TrackListSelected(i)) continue;
    const int n = i + 1;
    bool readOk = false;
    if (RipTrack(host, n, readOk) == TrackEnd::Aborted) return false;
    if (!g_options.AnyCheck()) continue;
    // Asked for only when this track's read ended well: after a ReadError
    // the proof would still be the track before's.
    const TrackProof proof = readOk ? host.Reader().LastTrackProof() : TrackProof{};
    TrackReport r = ReportTrack(g_options, g_haveLookup ? &g_lookup : nullptr, n, readOk, proof);
    for (const std::wstring& line : r.lines) Say(line);
    g_reports.push_back(std::move(r));
  }
  return true;
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
  g_view->SetBarWidth(1, w.allTracks);
}

void SessionReadDone(SessionHost& host) {
  if (g_holdReadEnd) {
    g_heldReadEnd = HeldReadEnd{true, false, 0, {}};
    return;
  }
  host.State().OperationDone = true;
}

void SessionReadError(SessionHost& host, int32_t code, const std::wstring& message) {
  if (g_holdReadEnd) {
    g_heldReadEnd = HeldReadEnd{true, true, code, message};
    return;
  }
  // Outside a session there is no log to write to and no list to show it in.
  if (g_running) Say(ReadErrorLine(code, message));
  host.State().OperationDone = true;
  host.State().ReadFailed = kVbTrue;
}

void SessionEncodeProgress(SessionHost& host, int32_t amountDone) {
  if (!g_running) return;
  const int32_t percent = EncodePercent(amountDone, host.Encoder().ProgressTotal());
  g_view->SetBarWidth(3, EncodeBarWidth(host.State().BarFullWidth, percent));
}

void SessionEncodeDone(SessionHost& host) { host.State().OperationDone = true; }

void SessionLookupDone(SessionHost& host) {
  // A late answer (after ABORT, or outside a session) ends no wait.
  if (!g_lookupPending) return;
  host.State().OperationDone = true;
}

void SessionRequestAbort(SessionHost& host) {
  Form1State& st = host.State();
  st.AbortRequested = kVbTrue;
  st.OperationDone = true;
  // Also while the encoder runs: the session aborts that one when it sees the flag.
  host.Reader().AbortRead();
  if (g_lookupPending && host.AccurateRip()) host.AccurateRip()->AbortLookup();
}
