// What the Windows-side benches share: clocks, the plain LAME set up as the
// encoder sets it up, and a CDDB client that is never asked.
#pragma once
#include <windows.h>

#include <lame/lame.h>

#include <string>

#include "ripper/engine/cddb_client.h"

namespace bench {

inline double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

inline double Seconds(FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; }

inline double ThreadCpu() {
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
