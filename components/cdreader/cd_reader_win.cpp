#include <windows.h>

#include <atomic>
#include <memory>

#include "components/cdreader/cdreader.h"
#include "components/cdreader/disc_image.h"
#include "components/cdreader/ioctl_device.h"
#include "components/cdreader/progress_pace.h"
#include "components/cdreader/reader_drives.h"
#include "components/cdreader/track_read.h"
#include "components/cdreader/wave_player.h"
#include "components/cdreader/win_files.h"
#include "ripper/engine/ui_dispatch.h"

namespace cdr {

namespace {

// Touched on the UI thread only: events posted by a worker carry their read's
// number and are dropped once that read is no longer the active one (after
// AbortRead, or when the reader is gone).
struct EventHub {
  CdReaderEvents* sink = nullptr;
  uint32_t activeRead = 0;
  TrackProof proof;  // of the last read that ended with ReadDone
};

struct ReadJob {
  std::shared_ptr<EventHub> hub;
  uint32_t id = 0;
  std::unique_ptr<CdDevice> device;
  std::unique_ptr<Win32WavSink> wav;
  TrackReadPlan plan;
  std::atomic<bool> abort{false};
};

void PostProgress(const std::shared_ptr<EventHub>& hub, uint32_t id, int32_t perMille) {
  UiPost([hub, id, perMille] {
    if (hub->activeRead == id && hub->sink) hub->sink->ReadProgress(perMille);
  });
}

// The one final event of a read: ReadDone when code is 0, else ReadError.
// The proof travels with the event, so that the UI thread alone owns it.
void PostFinal(const std::shared_ptr<EventHub>& hub, uint32_t id, int32_t code, std::wstring message,
               TrackProof proof = {}) {
  UiPost([hub, id, code, message = std::move(message), proof = std::move(proof)]() mutable {
    if (hub->activeRead != id) return;
    hub->activeRead = 0;
    if (code == 0) hub->proof = std::move(proof);
    if (!hub->sink) return;
    if (code == 0)
      hub->sink->ReadDone();
    else
      hub->sink->ReadError(code, message);
  });
}

uint64_t MonotonicMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return uint64_t(c.QuadPart) / (uint64_t(f.QuadPart) / 1000);
}

DWORD WINAPI ReadThread(void* p) {
  std::shared_ptr<ReadJob> job = std::move(*static_cast<std::shared_ptr<ReadJob>*>(p));
  delete static_cast<std::shared_ptr<ReadJob>*>(p);
  auto hub = job->hub;
  uint32_t id = job->id;
  ProgressPacer pacer;
  TrackProof proof;
  ReadResult r = ReadTrack(
      *job->device, job->plan, *job->wav, job->abort,
      [&](int32_t pm) {
        if (pacer.ShouldPost(pm, MonotonicMs())) PostProgress(hub, id, pm);
      },
      job->plan.options.secure || job->plan.options.checksums ? &proof : nullptr);
  // The session measures and encodes the file as soon as it hears of it.
  job->wav->Close();
  job->device.reset();
  if (r.outcome == ReadOutcome::Done)
    PostFinal(hub, id, 0, L"", std::move(proof));
  else if (r.outcome == ReadOutcome::Failed)
    PostFinal(hub, id, r.code, r.message);
  return 0;
}

class Reader : public CdReader {
 public:
  explicit Reader(std::vector<DriveSpec> drives)
      : drives_(std::move(drives)), hub_(std::make_shared<EventHub>()) {}

  ~Reader() override {
    AbortRead();
    ReapWorker(10000);  // the program is ending: let the file be closed
    player_.Stop();
    hub_->sink = nullptr;
    hub_->activeRead = 0;
  }

  void SetEvents(CdReaderEvents* sink) override { hub_->sink = sink; }

  int16_t InitAspi() override {
    lastError_.clear();
    return 0;
  }

  int16_t DriveCount() override {
    lastError_.clear();
    return int16_t(drives_.size());
  }

  std::wstring DriveDescription(int16_t drive) override {
    if (!ValidDrive(drive)) return L"";
    lastError_.clear();
    return drives_[drive - 1].description;
  }

  void SelectDrive(int16_t drive) override {
    StopPlay();
    selected_ = 0;
    haveDisc_ = false;
    disc_ = DiscInfo{};
    if (!ValidDrive(drive)) return;
    selected_ = drive;
    std::wstring why;
    auto dev = drives_[drive - 1].open(why);
    if (!dev || !dev->ReadToc(disc_, why)) {
      disc_ = DiscInfo{};
      discError_ = why;
      lastError_ = why;
      return;
    }
    haveDisc_ = true;
    discError_.clear();
    lastError_.clear();
  }

  int16_t TrackCount() override {
    if (!DiscReady()) return 0;
    lastError_.clear();
    return int16_t(disc_.AudioCount());
  }

  int32_t TrackLength(int16_t track) override {
    const DiscTrack* t = FindTrack(track);
    if (!t) return 0;
    lastError_.clear();
    return FramesToMs(t->endLba - t->startLba);
  }

  // from: seconds into the track; flag true: this track only, false: on to
  // the end of the disc's audio.
  int16_t PlayTrack(int16_t track, int16_t from, int16_t flag) override {
    StopPlay();
    const DiscTrack* t = FindTrack(track);
    if (!t) return 1;
    uint32_t start = t->startLba + uint32_t(from > 0 ? from : 0) * kFramesPerSecond;
    uint32_t end = t->endLba;
    if (!flag) {
      for (const auto& d : disc_.tracks)
        if (d.audio && d.endLba > end) end = d.endLba;
    }
    if (start >= end) start = t->startLba;
    const DriveSpec& drive = drives_[selected_ - 1];
    std::wstring why;
    auto dev = drive.open(why);
    if (!dev) {
      lastError_ = why;
      return 1;
    }
    if (drive.cdromLetter) {
      auto* io = static_cast<IoctlDevice*>(dev.get());
      if (!io->PlayAudio(start, end, why)) {
        lastError_ = why;
        return 1;
      }
      playingCdrom_ = drive.cdromLetter;
    } else if (!player_.Start(std::move(dev), start, end, why)) {
      lastError_ = why;
      return 1;
    }
    lastError_.clear();
    return 0;
  }

  void StopPlay() override {
    lastError_.clear();
    player_.Stop();
    if (playingCdrom_) {
      std::wstring why;
      if (auto dev = IoctlDevice::Open(playingCdrom_, why)) {
        if (!dev->StopAudio(why)) lastError_ = why;
      }
      playingCdrom_ = 0;
    }
  }

  void BeginSession() override {
    // A drive that plays cannot read at full speed.
    StopPlay();
    hub_->proof = TrackProof{};
  }

  int16_t ReadTrackToWav(int16_t track, const std::wstring& wavPath) override {
    int32_t code = 0;
    std::wstring message;
    auto job = std::make_shared<ReadJob>();
    if (!OnUiThread()) {
      // Events could never arrive: say so instead of leaving a caller waiting.
      lastError_ = L"The CD reader has no user-interface thread to report to";
      return int16_t(kErrStart);
    }
    if (hub_->activeRead != 0) {
      // Refused without touching the running read: it still ends with its
      // own final event.
      lastError_ = L"A read is already running";
      auto hub = hub_;
      UiPost([hub, msg = lastError_] {
        if (hub->sink) hub->sink->ReadError(kErrBusy, msg);
      });
      return int16_t(kErrBusy);
    }
    if (!ReapWorker()) {
      code = kErrBusy;
      message = L"The previous read has not stopped yet";
    } else if (!FindTrack(track)) {
      code = haveDisc_ || !selected_ ? kErrNoSuchTrack : kErrNoDisc;
      message = lastError_;
    } else {
      const DiscTrack* t = FindTrack(track);
      job->plan.startLba = t->startLba;
      job->plan.endLba = t->endLba;
      ReadableSpan(disc_, job->plan.readableFirst, job->plan.readableEnd);
      job->plan.options = options_;
      job->plan.firstTrack = track == 1;
      job->plan.lastTrack = track == disc_.AudioCount();
      std::wstring why;
      job->device = drives_[selected_ - 1].open(why);
      if (!job->device) {
        code = kErrNoDisc;
        message = why;
      } else if (!(job->wav = Win32WavSink::Create(wavPath, why))) {
        code = kErrCreateFile;
        message = why;
      }
    }
    uint32_t id = ++readCounter_;
    if (id == 0) id = ++readCounter_;
    if (code == 0) {
      job->hub = hub_;
      job->id = id;
      auto* arg = new std::shared_ptr<ReadJob>(job);
      HANDLE h = CreateThread(nullptr, 0, ReadThread, arg, 0, nullptr);
      if (!h) {
        delete arg;
        code = kErrStart;
        message = L"Cannot start the read: " + SystemMessage(GetLastError());
      } else {
        worker_ = h;
        job_ = job;
      }
    }
    hub_->activeRead = id;
    if (code != 0) {
      // The session waits for an event even when the read never started.
      lastError_ = message;
      PostFinal(hub_, id, code, message);
      return int16_t(code);
    }
    lastError_.clear();
    return 0;
  }

  // Never waits: the worker checks the flag per chunk, and a drive stuck in
  // one request finishes on its own, owning its file and device. The next
  // read waits for it (or is refused as busy), not the user interface.
  void AbortRead() override {
    hub_->activeRead = 0;
    if (!job_) return;
    job_->abort = true;
    ReapWorker(0);
  }

  void EndSession() override { ReapWorker(0); }

  std::wstring LastError() override { return lastError_; }

  bool SelectedToc(DiscToc& toc) override {
    toc = DiscToc{};
    if (!DiscReady()) return false;
    toc = IdentificationToc(disc_);
    lastError_.clear();
    return !toc.listedTracks.empty();
  }

  void SetReadOptions(const ReadOptions& options) override { options_ = options; }
  TrackProof LastTrackProof() override { return hub_->proof; }

 private:
  bool ValidDrive(int16_t drive) {
    if (drive >= 1 && size_t(drive) <= drives_.size()) return true;
    lastError_ = L"Drive " + std::to_wstring(drive) + L" does not exist";
    return false;
  }

  bool DiscReady() {
    if (!selected_) {
      lastError_ = L"No drive is selected";
      return false;
    }
    if (!haveDisc_) {
      lastError_ = discError_;
      return false;
    }
    return true;
  }

  const DiscTrack* FindTrack(int16_t track) {
    if (!DiscReady()) return nullptr;
    const DiscTrack* t = disc_.Audio(track);
    if (!t) lastError_ = L"Track " + std::to_wstring(track) + L" does not exist";
    return t;
  }

  // True when no worker is left; waits up to ms for one that is ending.
  bool ReapWorker(DWORD ms = 5000) {
    if (!worker_) return true;
    if (WaitForSingleObject(worker_, ms) != WAIT_OBJECT_0) return false;
    CloseHandle(worker_);
    worker_ = nullptr;
    job_.reset();
    return true;
  }

  std::vector<DriveSpec> drives_;
  std::shared_ptr<EventHub> hub_;
  int16_t selected_ = 0;
  bool haveDisc_ = false;
  DiscInfo disc_;
  std::wstring discError_;
  std::wstring lastError_;
  uint32_t readCounter_ = 0;
  HANDLE worker_ = nullptr;
  std::shared_ptr<ReadJob> job_;
  ReadOptions options_;
  WavePlayer player_;
  wchar_t playingCdrom_ = 0;
};

std::wstring FileNameOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<DriveSpec> MachineDrives(const std::vector<std::wstring>& discImagePaths) {
  std::vector<DriveSpec> drives;
  for (wchar_t letter : CdromLetters()) {
    DriveSpec d;
    d.description = CdromDescription(letter);
    d.cdromLetter = letter;
    d.open = [letter](std::wstring& error) -> std::unique_ptr<CdDevice> {
      return IoctlDevice::Open(letter, error);
    };
    drives.push_back(std::move(d));
  }
  for (const std::wstring& path : discImagePaths) {
    wchar_t full[MAX_PATH * 4] = {};
    DWORD n = GetFullPathNameW(path.c_str(), DWORD(std::size(full)), full, nullptr);
    std::wstring abs = n && n < std::size(full) ? std::wstring(full, n) : path;
    DriveSpec d;
    d.description = L"Disc image " + FileNameOf(abs) + L" (" + abs + L")";
    d.open = [abs](std::wstring& error) -> std::unique_ptr<CdDevice> { return OpenDiscImage(abs, error); };
    drives.push_back(std::move(d));
  }
  return drives;
}

std::unique_ptr<CdReader> CreateCdReaderFor(std::vector<DriveSpec> drives) {
  return std::make_unique<Reader>(std::move(drives));
}

}  // namespace cdr

std::unique_ptr<CdReader> CreateCdReader(const std::vector<std::wstring>& discImagePaths) {
  return cdr::CreateCdReaderFor(cdr::MachineDrives(discImagePaths));
}
