#include "components/cdreader/wave_player.h"

#include <mmsystem.h>

#include <vector>

namespace cdr {

namespace {

constexpr int kBuffers = 4;
constexpr uint32_t kFramesPerBuffer = 30;  // 0.4 s each

std::wstring WaveMessage(MMRESULT r) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextW(r, text, MAXERRORLENGTH) != MMSYSERR_NOERROR || !text[0])
    return L"sound error " + std::to_wstring(r);
  return text;
}

}  // namespace

bool WavePlayer::Start(std::unique_ptr<CdDevice> device, uint32_t startLba, uint32_t endLba,
                       std::wstring& error) {
  Stop();
  if (waveOutGetNumDevs() == 0) {
    error = L"No sound device is available to play the disc image";
    return false;
  }
  WAVEFORMATEX fmt{};
  fmt.wFormatTag = WAVE_FORMAT_PCM;
  fmt.nChannels = 2;
  fmt.nSamplesPerSec = 44100;
  fmt.wBitsPerSample = 16;
  fmt.nBlockAlign = 4;
  fmt.nAvgBytesPerSec = 44100 * 4;
  done_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  MMRESULT r = waveOutOpen(&wave_, WAVE_MAPPER, &fmt, DWORD_PTR(done_), 0, CALLBACK_EVENT);
  if (r != MMSYSERR_NOERROR) {
    wave_ = nullptr;
    error = L"No sound device is available to play the disc image (" + WaveMessage(r) + L")";
    Stop();
    return false;
  }
  device_ = std::move(device);
  next_ = startLba;
  end_ = endLba;
  thread_ = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
  if (!thread_) {
    error = L"Cannot start playing: no thread";
    Stop();
    return false;
  }
  return true;
}

bool WavePlayer::Playing() const { return thread_ && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; }

void WavePlayer::Stop() {
  if (thread_) {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (wave_) {
    waveOutClose(wave_);
    wave_ = nullptr;
  }
  for (HANDLE* h : {&done_, &stop_}) {
    if (*h) CloseHandle(*h);
    *h = nullptr;
  }
  device_.reset();
}

DWORD WINAPI WavePlayer::ThreadProc(void* self) {
  static_cast<WavePlayer*>(self)->Run();
  return 0;
}

void WavePlayer::Run() {
  std::vector<std::vector<uint8_t>> data(kBuffers, std::vector<uint8_t>(kFramesPerBuffer * kSectorBytes));
  WAVEHDR hdr[kBuffers] = {};
  bool queued[kBuffers] = {};
  bool stopping = false;
  for (;;) {
    int busy = 0;
    for (int i = 0; i < kBuffers; ++i) {
      if (queued[i] && (hdr[i].dwFlags & WHDR_DONE)) {
        waveOutUnprepareHeader(wave_, &hdr[i], sizeof(WAVEHDR));
        queued[i] = false;
      }
      if (!queued[i] && !stopping && next_ < end_) {
        uint32_t n = end_ - next_ < kFramesPerBuffer ? end_ - next_ : kFramesPerBuffer;
        std::wstring why;
        if (!device_->ReadFrames(next_, n, data[i].data(), why)) {
          next_ = end_;  // an unreadable stretch ends playback
          continue;
        }
        next_ += n;
        hdr[i] = WAVEHDR{};
        hdr[i].lpData = reinterpret_cast<LPSTR>(data[i].data());
        hdr[i].dwBufferLength = n * kSectorBytes;
        if (waveOutPrepareHeader(wave_, &hdr[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR &&
            waveOutWrite(wave_, &hdr[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR) {
          queued[i] = true;
        } else {
          next_ = end_;
        }
      }
      busy += queued[i] ? 1 : 0;
    }
    if (busy == 0) break;
    HANDLE waits[2] = {stop_, done_};
    DWORD w = WaitForMultipleObjects(2, waits, FALSE, 1000);
    if (w == WAIT_OBJECT_0 && !stopping) {
      stopping = true;
      waveOutReset(wave_);  // marks every queued buffer done
    }
  }
}

}  // namespace cdr
