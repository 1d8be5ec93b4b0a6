// Mp3Enc1 on LAME: SetFiles opens the WAV file, checks it and creates the
// output under a temporary name beside the MP3 file; StartEncoding runs the
// encode on a worker thread; events reach the sink through UiPost only.
#include <windows.h>

#include <lame/lame.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "components/mp3enc/id3v2_tag.h"
#include "components/mp3enc/info_frame.h"
#include "components/mp3enc/mp3enc.h"
#include "components/mp3enc/progress.h"
#include "components/mp3enc/set_files_status.h"
#include "components/mp3enc/wav_header.h"
#include "ripper/engine/session_names.h"
#include "ripper/engine/ui_dispatch.h"

namespace {

// Frames handed to LAME per call; a multiple of the progress block.
constexpr uint32_t kChunkFrames = kProgressBlockFrames * 16;

class HandleByteSource : public ByteSource {
 public:
  explicit HandleByteSource(HANDLE h) : h_(h) {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size)) size_ = static_cast<uint64_t>(size.QuadPart);
  }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(h_, buffer, static_cast<DWORD>(n), &got, &ov)) return 0;
    return got;
  }

 private:
  HANDLE h_;
  uint64_t size_ = 0;
};

bool WriteAll(HANDLE h, const void* data, size_t n) {
  auto* p = static_cast<const uint8_t*>(data);
  while (n > 0) {
    DWORD wrote = 0;
    DWORD part = static_cast<DWORD>(n > (1u << 30) ? (1u << 30) : n);
    if (!WriteFile(h, p, part, &wrote, nullptr) || wrote == 0) return false;
    p += wrote;
    n -= wrote;
  }
  return true;
}

bool SeekTo(HANDLE h, uint64_t offset) {
  LARGE_INTEGER li;
  li.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(h, li, nullptr, FILE_BEGIN) != 0;
}

// Lives on the UI thread; posted events check it so that none reaches a
// sink after the encoder is gone.
struct EventTarget {
  Mp3EncoderEvents* sink = nullptr;
  bool alive = true;
  std::wstring failure;  // FailureReason: of the last SetFiles or encode
};

// Short texts for the errors a user can do something about.
std::wstring ErrorText(DWORD err) {
  switch (err) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return L"disk full";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return L"the file is in use by another program";
    case ERROR_ACCESS_DENIED:
      return L"access denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return L"the folder does not exist";
    case ERROR_FILENAME_EXCED_RANGE:
      return L"the name is too long";
    default:
      return L"Windows error " + std::to_wstring(err);
  }
}

struct JobControl {
  std::atomic<bool> abort{false};
  std::atomic<bool> finished{false};  // set just before EncodeDone is posted
};

// One prepared or running encode. Owned by the encoder until StartEncoding,
// then by the worker thread.
struct Job {
  HANDLE wav = INVALID_HANDLE_VALUE;
  HANDLE out = INVALID_HANDLE_VALUE;
  std::wstring tempPath;
  std::wstring finalPath;
  WavInfo info;
  lame_t lame = nullptr;
  // Bytes that go before the audio (an ID3v2 tag); the LAME info frame then
  // follows them, as the lame command places it after --id3v2-only tags.
  std::vector<uint8_t> leading;
  bool lameReservesInfo = true;
  int bitRate = 128;
  std::shared_ptr<EventTarget> target;
  // Shared with the encoder, which may still look at it while the worker ends.
  std::shared_ptr<JobControl> control = std::make_shared<JobControl>();

  ~Job() {
    if (lame) lame_close(lame);
    if (wav != INVALID_HANDLE_VALUE) CloseHandle(wav);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  }
  // Drops the output: nothing may remain under either name.
  void DiscardOutput() {
    if (out != INVALID_HANDLE_VALUE) {
      CloseHandle(out);
      out = INVALID_HANDLE_VALUE;
      DeleteFileW(tempPath.c_str());
    }
  }
};

void PostProgress(const std::shared_ptr<EventTarget>& target, int32_t done) {
  UiPost([target, done] {
    if (target->alive && target->sink) target->sink->EncodeProgress(done);
  });
}

// failure: empty when the MP3 file is in place.
void PostDone(const std::shared_ptr<EventTarget>& target, std::wstring failure) {
  UiPost([target, failure = std::move(failure)] {
    if (!target->alive) return;
    target->failure = failure;
    if (target->sink) target->sink->EncodeDone();
  });
}

// Writes LAME's output; in front of the first frame it reserves room for
// our own info frame when LAME reserved none.
struct AudioWriter {
  Job& job;
  bool started = false;
  uint8_t firstHeader[4] = {};
  size_t ownInfoSize = 0;
  uint64_t audioBytes = 0;
  uint16_t musicCrc = 0;

  bool Write(const unsigned char* data, size_t n) {
    if (n == 0) return true;
    if (!started) {
      started = true;
      if (!job.lameReservesInfo && n >= 4) {
        std::memcpy(firstHeader, data, 4);
        ownInfoSize = InfoFrameSize(firstHeader);
        const std::vector<uint8_t> blank(ownInfoSize, 0);
        if (ownInfoSize && !WriteAll(job.out, blank.data(), blank.size())) return false;
      }
    }
    // Only our own info frame carries it; LAME keeps its own.
    if (ownInfoSize) musicCrc = Crc16Update(musicCrc, data, n);
    audioBytes += n;
    return WriteAll(job.out, data, n);
  }

  // Replaces the reserved frame with the finished info frame.
  bool WriteInfoFrame() {
    const uint64_t infoAt = job.leading.size();
    unsigned char tag[2880];
    const size_t lameSize = lame_get_lametag_frame(job.lame, tag, sizeof tag);
    if (lameSize > 0 && lameSize <= sizeof tag)
      return SeekTo(job.out, infoAt) && WriteAll(job.out, tag, lameSize);
    if (ownInfoSize == 0) return true;

    InfoFrameFields f;
    f.frames = static_cast<uint32_t>(lame_get_frameNum(job.lame));
    f.streamBytes = static_cast<uint32_t>(ownInfoSize + audioBytes);
    f.delay = static_cast<uint16_t>(lame_get_encoder_delay(job.lame));
    // LAME's padding is an estimate when it resamples; the length the
    // decoder should play is known exactly, so derive the padding from it.
    const uint64_t inRate = job.info.sampleRate;
    const uint64_t outRate = static_cast<uint64_t>(lame_get_out_samplerate(job.lame));
    const uint64_t samples = (job.info.frames * outRate + inRate / 2) / inRate;
    const int padding = PaddingForLength(samples, f.frames, SamplesPerFrame(firstHeader), f.delay);
    f.padding = static_cast<uint16_t>(padding >= 0 ? padding : lame_get_encoder_padding(job.lame));
    f.musicCrc = musicCrc;
    const int kbit = lame_get_brate(job.lame);
    f.kbit = static_cast<uint8_t>(kbit > 255 ? 255 : kbit);
    f.lowpassHundredsHz = static_cast<uint8_t>(lame_get_lowpassfreq(job.lame) / 100);
    const std::vector<uint8_t> frame = BuildInfoFrame(firstHeader, f);
    if (frame.size() != ownInfoSize) return false;
    return SeekTo(job.out, infoAt) && WriteAll(job.out, frame.data(), frame.size());
  }
};

// LAME's setup takes milliseconds of tables: done on the worker, so that the
// user-interface thread, which starts every encode, stays free.
bool SetUpLame(Job& job) {
  job.lame = lame_init();
  if (!job.lame) return false;
  // The settings of Debian's "lame -b N", so that the output matches it.
  lame_set_num_channels(job.lame, job.info.channels);
  lame_set_in_samplerate(job.lame, static_cast<int>(job.info.sampleRate));
  lame_set_num_samples(job.lame, static_cast<unsigned long>(job.info.frames));
  lame_set_VBR(job.lame, vbr_off);
  lame_set_brate(job.lame, job.bitRate);
  lame_set_quality(job.lame, 3);
  lame_set_findReplayGain(job.lame, 1);
  lame_set_bWriteVbrTag(job.lame, 1);
  lame_set_write_id3tag_automatic(job.lame, 0);
  // MinGW's LAME would take its SSE path, which differs from the plain C
  // path of Debian's build in single bits.
  lame_set_asm_optimizations(job.lame, SSE, 0);
  if (lame_init_params(job.lame) < 0) return false;
  job.lameReservesInfo =
      LameReservesInfoFrame(lame_get_version(job.lame) == 1, static_cast<uint32_t>(lame_get_out_samplerate(job.lame)),
                            lame_get_brate(job.lame), lame_get_mode(job.lame) == MONO);
  return true;
}

// All encodes of the process together report at the throttle's pace.
ProgressGate g_everyEncode;

// Encodes the whole data chunk; false on any failure or abort.
bool Encode(Job& job) {
  if (!job.leading.empty() && !WriteAll(job.out, job.leading.data(), job.leading.size())) return false;
  if (!SeekTo(job.wav, job.info.dataOffset)) return false;

  const uint32_t channels = job.info.channels;
  std::vector<short> pcm(static_cast<size_t>(kChunkFrames) * channels);
  std::vector<unsigned char> mp3(kChunkFrames * 5 / 4 + 7200);
  const int32_t total = ProgressTotalFor(job.info.frames);
  ProgressThrottle throttle(total, kEncodeProgressIntervalMs, &g_everyEncode);
  AudioWriter writer{job};

  uint64_t framesDone = 0;
  while (framesDone < job.info.frames) {
    if (job.control->abort.load()) return false;
    const uint64_t left = job.info.frames - framesDone;
    const uint32_t frames = left < kChunkFrames ? static_cast<uint32_t>(left) : kChunkFrames;
    const DWORD bytes = frames * job.info.blockAlign;
    DWORD got = 0;
    // A file that shrank since SetFiles is a failed read, not a short track.
    if (!ReadFile(job.wav, pcm.data(), bytes, &got, nullptr) || got != bytes) return false;
    // WAV samples are little-endian, as are both Windows targets.
    const int n = channels == 2
                      ? lame_encode_buffer_interleaved(job.lame, pcm.data(), static_cast<int>(frames),
                                                       mp3.data(), static_cast<int>(mp3.size()))
                      : lame_encode_buffer(job.lame, pcm.data(), pcm.data(), static_cast<int>(frames),
                                           mp3.data(), static_cast<int>(mp3.size()));
    if (n < 0 || !writer.Write(mp3.data(), static_cast<size_t>(n))) return false;
    framesDone += frames;
    const int32_t done = ProgressDoneFor(framesDone, job.info.frames);
    if (done < total && throttle.ShouldReport(done, GetTickCount64())) PostProgress(job.target, done);
  }
  if (job.control->abort.load()) return false;
  const int n = lame_encode_flush(job.lame, mp3.data(), static_cast<int>(mp3.size()));
  if (n < 0 || !writer.Write(mp3.data(), static_cast<size_t>(n))) return false;
  if (!writer.WriteInfoFrame()) return false;
  if (throttle.ShouldReport(total, GetTickCount64())) PostProgress(job.target, total);
  return FlushFileBuffers(job.out) != 0;
}

// Windows promises a new thread's stack only 4-byte alignment on 32-bit,
// while the compiler's SSE2 code in LAME assumes 16: realign once at entry,
// or LAME's doubles straddle cache lines (and aligned SSE moves could fault).
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
DWORD WINAPI
EncodeThread(void* param) {
  std::unique_ptr<Job> job(static_cast<Job*>(param));
  std::wstring failure;
  SetLastError(0);
  if (!SetUpLame(*job)) {
    failure = L"the encoder refused the settings";
    job->DiscardOutput();
  } else if (Encode(*job)) {
    CloseHandle(job->out);
    job->out = INVALID_HANDLE_VALUE;
    if (!MoveFileExW(job->tempPath.c_str(), job->finalPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      // Windows says "access denied" for a target open in another program.
      const DWORD err = GetLastError();
      failure = err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION
                    ? L"can not replace the old MP3 file: it is open in another program or protected"
                    : L"can not replace the old MP3 file: " + ErrorText(err);
      DeleteFileW(job->tempPath.c_str());
    }
  } else {
    // Write and read failures leave their code; LAME's own leave none.
    const DWORD err = GetLastError();
    failure = job->control->abort.load() ? L"aborted"
              : err                      ? L"can not write the MP3 file: " + ErrorText(err)
                                         : L"the encode failed";
    job->DiscardOutput();
  }
  auto target = job->target;
  auto control = job->control;
  job.reset();  // close the files before the listener hears of the end
  // The listener may call SetFiles for the next track as soon as it hears
  // EncodeDone, before this thread has quite ended; the flag tells it so.
  control->finished.store(true);
  PostDone(target, std::move(failure));
  return 0;
}

class LameMp3Encoder final : public Mp3Encoder {
 public:
  LameMp3Encoder() : target_(std::make_shared<EventTarget>()) {}
  ~LameMp3Encoder() override {
    StopWorker();
    DiscardPending();
    target_->alive = false;
  }

  void SetEvents(Mp3EncoderEvents* sink) override { target_->sink = sink; }
  void SetBitRateKbit(int16_t kbit) override { bitRate_ = kbit; }

  int16_t SetFiles(const std::wstring& wavPath, const std::wstring& mp3Path) override {
    target_->failure.clear();
    ReapFinishedWorker();
    if (worker_) return Refuse(SetFilesStatus::Busy, L"the encoder is still busy");
    DiscardPending();
    if (!IsSupportedBitRate(bitRate_))
      return Refuse(SetFilesStatus::BadBitRate, L"bit rate " + std::to_wstring(bitRate_) + L" not supported");
    if (!Mp3PathFits(mp3Path)) return Refuse(SetFilesStatus::NameTooLong, L"the MP3 file name is too long");

    auto job = std::make_unique<Job>();
    job->target = target_;
    job->finalPath = mp3Path;
    job->tempPath = mp3Path + kMp3TempSuffix;
    job->wav = CreateFileW(wavPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (job->wav == INVALID_HANDLE_VALUE)
      return Refuse(SetFilesStatus::CannotReadWav,
                    L"can not open the WAV file: " + ErrorText(GetLastError()));
    HandleByteSource source(job->wav);
    job->info = ParseWavHeader(source);
    if (job->info.status != WavStatus::Ok)
      return Refuse(SetFilesStatus::BadWav, L"the WAV file is not in a format the encoder takes");

    // A folder or a read-only file under the final name could never be
    // replaced at the end; refuse it now rather than after the encode.
    const DWORD attrs = GetFileAttributesW(mp3Path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
      return Refuse(SetFilesStatus::CannotCreateMp3, L"a folder has the MP3 file's name");
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
      return Refuse(SetFilesStatus::CannotCreateMp3, L"the old MP3 file is read-only");

    job->bitRate = bitRate_;

    // A temporary file left by a killed session would refuse CREATE_ALWAYS
    // if it carried the read-only or hidden attribute; it holds nothing.
    SetFileAttributesW(job->tempPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    job->out = CreateFileW(job->tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (job->out == INVALID_HANDLE_VALUE)
      return Refuse(SetFilesStatus::CannotCreateMp3,
                    L"can not create the MP3 file: " + ErrorText(GetLastError()));

    progressTotal_ = ProgressTotalFor(job->info.frames);
    pending_ = std::move(job);
    return static_cast<int16_t>(SetFilesStatus::Ok);
  }

  void SetTags(const Mp3Tags& tags) override {
    if (pending_) pending_->leading = BuildId3v2Tag(tags);
  }

  void StartEncoding() override {
    ReapFinishedWorker();
    if (!pending_ || worker_) {
      // Nothing to run; the caller still waits for its one EncodeDone.
      PostDone(target_, L"nothing was prepared to encode");
      return;
    }
    Job* job = pending_.release();
    workerControl_ = job->control;
    worker_ = CreateThread(nullptr, 0, EncodeThread, job, 0, nullptr);
    if (!worker_) {
      workerControl_.reset();
      job->DiscardOutput();
      delete job;
      PostDone(target_, L"the encoder could not start");
    }
  }

  // Stops the encode and waits for the worker, which deletes the partial
  // output. Its EncodeDone still follows (queued), so every StartEncoding
  // gets exactly one; after an abort it only sets a flag already set.
  void AbortEncoding() override {
    StopWorker();
    DiscardPending();
  }

  void RequestAbort() override {
    if (worker_ && workerControl_) workerControl_->abort.store(true);
  }

  int32_t ProgressTotal() override { return progressTotal_; }

  std::wstring FailureReason() override { return target_->failure; }

 private:
  int16_t Refuse(SetFilesStatus status, std::wstring why) {
    target_->failure = std::move(why);
    return static_cast<int16_t>(status);
  }

  void StopWorker() {
    if (!worker_) return;
    if (WaitForSingleObject(worker_, 0) == WAIT_TIMEOUT) workerControl_->abort.store(true);
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
    workerControl_.reset();
  }

  void ReapFinishedWorker() {
    if (worker_ && workerControl_->finished.load()) {
      WaitForSingleObject(worker_, INFINITE);  // only its return is left
      CloseHandle(worker_);
      worker_ = nullptr;
      workerControl_.reset();
    }
  }

  void DiscardPending() {
    if (!pending_) return;
    pending_->DiscardOutput();
    pending_.reset();
  }

  std::shared_ptr<EventTarget> target_;
  int16_t bitRate_ = 128;
  int32_t progressTotal_ = 1;
  std::unique_ptr<Job> pending_;
  HANDLE worker_ = nullptr;
  std::shared_ptr<JobControl> workerControl_;
};

}  // namespace

std::unique_ptr<Mp3Encoder> CreateMp3Encoder() { return std::make_unique<LameMp3Encoder>(); }
