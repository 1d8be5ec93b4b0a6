// encode_wav WAV MP3 KBIT [--abort-after N]: encodes one file through the
// encoder the ripper uses, the way the session drives it (events pumped on
// this thread), so that a script can check the output with native tools.
// Prints "status S progress P total T done D" and exits 0 when the encode
// ran to its EncodeDone.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "components/mp3enc/mp3enc.h"
#include "ripper/engine/ui_dispatch.h"

namespace {

struct Sink : Mp3EncoderEvents {
  int progressEvents = 0;
  int32_t lastProgress = 0;
  int doneEvents = 0;
  void EncodeProgress(int32_t amountDone) override {
    ++progressEvents;
    lastProgress = amountDone;
  }
  void EncodeDone() override { ++doneEvents; }
};

void PumpUntil(bool (*done)(Sink&), Sink& sink) {
  while (!done(sink)) {
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: encode_wav WAV MP3 KBIT\n");
    return 2;
  }
  if (!UiDispatchInit()) return 3;
  Sink sink;
  auto encoder = CreateMp3Encoder();
  encoder->SetEvents(&sink);
  encoder->SetBitRateKbit(static_cast<int16_t>(std::wcstol(argv[3], nullptr, 10)));
  const int16_t status = encoder->SetFiles(argv[1], argv[2]);
  std::printf("status %d", status);
  if (status != 0) {
    std::printf("\n");
    return 1;
  }
  encoder->StartEncoding();
  PumpUntil([](Sink& s) { return s.doneEvents > 0; }, sink);
  std::printf(" progress %d total %d last %d done %d\n", sink.progressEvents,
              static_cast<int>(encoder->ProgressTotal()), static_cast<int>(sink.lastProgress),
              sink.doneEvents);
  UiDispatchShutdown();
  return 0;
}
