// What the Windows-side benches share: clocks, the plain LAME set up as the
// encoder sets it up, and a CDDB client that is never asked.
#pragma once
#include <windows.h>

#include <lame/lame.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ripper/engine/cddb_client.h"

namespace bench {

inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

inline double Seconds(FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; }

// The calling thread's CPU seconds. Wine answers GetThreadTimes in 10 ms
// ticks, too coarse for a UI thread's tenth of a second: under Wine the
// kernel's own nanosecond count is read through the Z: drive instead.
inline double ThreadCpu() {
  HANDLE h = CreateFileW(L"Z:\\proc\\thread-self\\schedstat", GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    char text[96] = {};
    DWORD got = 0;
    const BOOL ok = ReadFile(h, text, sizeof text - 1, &got, nullptr);
    CloseHandle(h);
    char* end = nullptr;
    const double ns = ok ? strtod(text, &end) : 0;
    if (ok && end != text) return ns / 1e9;
  }
  FILETIME a, b, k, u;
  GetThreadTimes(GetCurrentThread(), &a, &b, &k, &u);
  return Seconds(k) + Seconds(u);
}

inline double ProcessCpu() {
  FILETIME a, b, k, u;
  GetProcessTimes(GetCurrentProcess(), &a, &b, &k, &u);
  return Seconds(k) + Seconds(u);
}

// LAME with the encoder's settings for a 16-bit stereo 44.1 kHz file.
inline lame_t NewPlainLame(unsigned long frames) {
  lame_t l = lame_init();
  lame_set_num_channels(l, 2);
  lame_set_in_samplerate(l, 44100);
  lame_set_num_samples(l, frames);
  lame_set_VBR(l, vbr_off);
  lame_set_brate(l, 128);
  lame_set_quality(l, 3);
  lame_set_findReplayGain(l, 1);
  lame_set_bWriteVbrTag(l, 1);
  lame_set_asm_optimizations(l, SSE, 0);
  lame_init_params(l);
  return l;
}

constexpr int kPlainChunkFrames = 1152 * 16;  // as the encoder hands LAME

// One 16-bit stereo WAV file through LAME with the encoder's settings, in
// the encoder's chunks. onFrames hears the frames done after each chunk
// (end false) and once more after the info frame is written (end true);
// flush: to the disk at the end, as the encoder does.
inline bool EncodePlainFile(const std::wstring& wav, const std::wstring& mp3, bool flush,
                            const std::function<void(uint64_t done, unsigned long frames, bool end)>& onFrames = {}) {
  HANDLE in = CreateFileW(wav.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = CreateFileW(mp3.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    CloseHandle(in);
    return false;
  }
  LARGE_INTEGER size;
  GetFileSizeEx(in, &size);
  const unsigned long frames = static_cast<unsigned long>((size.QuadPart - 44) / 4);
  SetFilePointer(in, 44, nullptr, FILE_BEGIN);
  lame_t l = NewPlainLame(frames);
  std::vector<short> pcm(kPlainChunkFrames * 2);
  std::vector<unsigned char> buf(kPlainChunkFrames * 5 / 4 + 7200);
  DWORD got = 0, put = 0;
  bool ok = true;
  uint64_t done = 0;
  while (ok && ReadFile(in, pcm.data(), kPlainChunkFrames * 4, &got, nullptr) && got > 0) {
    int n = lame_encode_buffer_interleaved(l, pcm.data(), int(got / 4), buf.data(), int(buf.size()));
    ok = n >= 0 && WriteFile(out, buf.data(), DWORD(n), &put, nullptr);
    done += got / 4;
    if (onFrames) onFrames(done, frames, false);
  }
  int n = lame_encode_flush(l, buf.data(), int(buf.size()));
  ok = ok && n >= 0 && WriteFile(out, buf.data(), DWORD(n), &put, nullptr);
  unsigned char tag[2880];
  size_t t = lame_get_lametag_frame(l, tag, sizeof tag);
  SetFilePointer(out, 0, nullptr, FILE_BEGIN);
  if (t > 0) ok = ok && WriteFile(out, tag, DWORD(t), &put, nullptr);
  if (onFrames) onFrames(done, frames, true);
  lame_close(l);
  CloseHandle(in);
  if (flush) ok = ok && FlushFileBuffers(out);
  CloseHandle(out);
  return ok;
}

// In the session LAME runs on a thread of its own, entered with the stack
// realigned (32-bit Windows promises a new thread only 4 bytes): the plain
// loop runs the same way, so that the two differ only in what the session
// adds.
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
inline DWORD WINAPI
RunWork(void* param) {
  return (*static_cast<std::function<bool()>*>(param))() ? 1 : 0;
}

inline bool OnOwnThread(std::function<bool()> work) {
  HANDLE h = CreateThread(nullptr, 0, RunWork, &work, 0, nullptr);
  if (!h) return false;
  WaitForSingleObject(h, INFINITE);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  CloseHandle(h);
  return code == 1;
}

class NoCddb : public CddbClient {
 public:
  void SetClientName(const std::wstring&) override {}
  void SetConnection(const std::wstring&) override {}
  std::wstring DiscTitle() override { return {}; }
  int16_t CddbTrackCount() override { return 0; }
  std::wstring TrackTitle(int16_t&) override { return {}; }
  void SetEmail(const std::wstring&) override {}
  std::wstring LastError() override { return {}; }
};

}  // namespace bench
