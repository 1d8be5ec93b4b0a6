// Session benchmark, Windows side: one whole rip-and-encode session (real
// reader on a disc image, real LAME encoder, real progress window) against
// the same LAME build encoding the same WAV files in a plain loop. Prints
// key=value figures; run.sh adds Debian's lame and prints the ratios.
//   session_bench.exe DISC.cue OUTDIR WAVDIR
#include <windows.h>

#include <lame/lame.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "components/cdreader/cdreader.h"
#include "components/mp3enc/mp3enc.h"
#include "ripper/engine/message_pump.h"
#include "ripper/engine/session.h"
#include "ripper/engine/ui_dispatch.h"
#include "ripper/engine/user_message.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

double ThreadCpu() {
  FILETIME a, b, k, u;
  GetThreadTimes(GetCurrentThread(), &a, &b, &k, &u);
  auto s = [](FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
  return s(k) + s(u);
}

// The session never asks for titles here (UseCddb stays off).
double ProcessCpu() {
  FILETIME a, b, k, u;
  GetProcessTimes(GetCurrentProcess(), &a, &b, &k, &u);
  auto s = [](FILETIME t) { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
  return s(k) + s(u);
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
  bool readDone = false;

  Form1State& State() override { return state; }
  CdReader& Reader() override { return *reader_; }
  Mp3Encoder& Encoder() override { return *encoder_; }
  CddbClient& Cddb() override { return cddb_; }
  HWND MainWindow() override { return main_; }
  int TrackListCount() override { return tracks; }
  bool TrackListSelected(int) override { return true; }
  int TrackListSelectedCount() override { return tracks; }
  std::wstring OutputFolder() override { return folder_; }
  std::wstring Prefix() override { return L"Track"; }

  void ReadProgress(int32_t p) override { SessionReadProgress(*this, p); }
  void ReadDone() override {
    readDone = true;
    SessionReadDone(*this);
  }
  void ReadError(int32_t c, const std::wstring& m) override {
    readDone = true;
    fwprintf(stderr, L"read error %d: %ls\n", c, m.c_str());
    SessionReadError(*this, c, m);
  }
  void EncodeProgress(int32_t d) override { SessionEncodeProgress(*this, d); }
  void EncodeDone() override { SessionEncodeDone(*this); }

 private:
  std::unique_ptr<CdReader> reader_;
  std::unique_ptr<Mp3Encoder> encoder_;
  NoCddb cddb_;
  std::wstring folder_;
  HWND main_;
};

// The plain loop: the WAV file through LAME with the encoder's settings.
bool EncodePlain(const std::wstring& wav, const std::wstring& mp3) {
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
  const int chunk = 1152 * 16;
  std::vector<short> pcm(chunk * 2);
  std::vector<unsigned char> buf(chunk * 5 / 4 + 7200);
  DWORD got = 0, put = 0;
  bool ok = true;
  while (ok && ReadFile(in, pcm.data(), chunk * 4, &got, nullptr) && got > 0) {
    int n = lame_encode_buffer_interleaved(l, pcm.data(), int(got / 4), buf.data(), int(buf.size()));
    ok = n >= 0 && WriteFile(out, buf.data(), DWORD(n), &put, nullptr);
  }
  int n = lame_encode_flush(l, buf.data(), int(buf.size()));
  ok = ok && n >= 0 && WriteFile(out, buf.data(), DWORD(n), &put, nullptr);
  unsigned char tag[2880];
  size_t t = lame_get_lametag_frame(l, tag, sizeof tag);
  SetFilePointer(out, 0, nullptr, FILE_BEGIN);
  if (t > 0) ok = ok && WriteFile(out, tag, DWORD(t), &put, nullptr);
  lame_close(l);
  CloseHandle(in);
  CloseHandle(out);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: session_bench DISC.cue OUTDIR WAVDIR\n");
    return 2;
  }
  const std::wstring cue = argv[1], outDir = argv[2], wavDir = argv[3];
  if (!UiDispatchInit()) return 1;
  SetUserMessageHook([](const std::wstring& text, UINT) {
    fwprintf(stderr, L"message: %ls\n", text.c_str());
    return IDOK;
  });
  BenchHost host(CreateCdReader({cue}), CreateMp3Encoder(), outDir);
  if (host.Reader().InitAspi() != 0 || host.Reader().DriveCount() < 1) return 1;
  const int16_t drive = host.Reader().DriveCount();  // the image comes after any real drive
  host.Reader().SelectDrive(drive);
  host.tracks = host.Reader().TrackCount();
  double audio = 0;
  for (int16_t t = 1; t <= host.tracks; ++t) audio += host.Reader().TrackLength(t) / 1000.0;
  ProgressWindowPrepare(host);

  // The WAV files for the plain loop (and for Debian's lame), read once.
  double t0 = Now();
  host.Reader().BeginSession();
  for (int16_t t = 1; t <= host.tracks; ++t) {
    host.readDone = false;
    wchar_t name[32];
    swprintf(name, 32, L"\\Track%02d.wav", t);
    if (host.Reader().ReadTrackToWav(t, wavDir + name) != 0) return 1;
    if (!WaitForFlag(host.readDone)) return 1;
  }
  host.Reader().EndSession();
  const double readOnly = Now() - t0;

  const double cpu0 = ThreadCpu();
  double p0 = ProcessCpu();
  t0 = Now();
  RunSession(host);
  const double session = Now() - t0;
  const double uiCpu = ThreadCpu() - cpu0;
  const double sessionCpu = ProcessCpu() - p0;

  p0 = ProcessCpu();
  t0 = Now();
  for (int t = 1; t <= host.tracks; ++t) {
    wchar_t wav[32], mp3[32];
    swprintf(wav, 32, L"\\Track%02d.wav", t);
    swprintf(mp3, 32, L"\\Plain%02d.mp3", t);
    if (!EncodePlain(wavDir + wav, wavDir + mp3)) return 1;
  }
  const double plain = Now() - t0;
  const double plainCpu = ProcessCpu() - p0;

  printf("audio_seconds=%.1f\ntracks=%d\nread_seconds=%.3f\nsession_seconds=%.3f\nui_cpu_seconds=%.3f\n"
         "plain_seconds=%.3f\nsession_cpu_seconds=%.3f\nplain_cpu_seconds=%.3f\n",
         audio, host.tracks, readOnly, session, uiCpu, plain, sessionCpu, plainCpu);
  ProgressWindowUnload();
  UiDispatchShutdown();
  return 0;
}
