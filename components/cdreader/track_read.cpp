#include "components/cdreader/track_read.h"

#include <vector>

#include "components/cdreader/wav_header.h"

namespace cdr {

int32_t PerMille(uint64_t done, uint64_t total) {
  if (total == 0 || done >= total) return 1000;
  return int32_t(done * 1000 / total);
}

ReadResult ReadTrackFrames(CdDevice& device, uint32_t startLba, uint32_t endLba, WavSink& sink,
                           const std::atomic<bool>& abort, const std::function<void(int32_t)>& progress) {
  ReadResult r;
  uint32_t total = endLba > startLba ? endLba - startLba : 0;
  auto header = MakeWavHeader(uint64_t(total) * kSectorBytes);
  std::wstring why;
  if (!sink.Append(header.data(), header.size(), why)) {
    r.code = kErrWrite;
    r.message = why;
    return r;
  }
  auto finishEarly = [&](ReadOutcome outcome) {
    r.outcome = outcome;
    auto h = MakeWavHeader(r.dataBytes);
    std::wstring ignored;
    sink.RewriteHeader(h.data(), h.size(), ignored);
    return r;
  };
  uint32_t chunk = device.MaxFramesPerRead();
  if (chunk == 0) chunk = 1;
  std::vector<uint8_t> buf(size_t(chunk) * kSectorBytes);
  int32_t lastReported = -1;
  auto report = [&](int32_t pm) {
    if (pm > lastReported) {
      lastReported = pm;
      if (progress) progress(pm);
    }
  };
  report(0);
  uint32_t lba = startLba;
  while (lba < endLba) {
    if (abort.load()) return finishEarly(ReadOutcome::Aborted);
    uint32_t n = endLba - lba < chunk ? endLba - lba : chunk;
    bool ok = false;
    for (int attempt = 0; attempt < kReadAttempts && !ok; ++attempt) {
      why.clear();
      ok = device.ReadFrames(lba, n, buf.data(), why);
      if (!ok && abort.load()) return finishEarly(ReadOutcome::Aborted);
    }
    if (!ok) {
      r.code = kErrRead;
      r.message = L"Read error at sector " + std::to_wstring(lba) + (why.empty() ? L"" : L": " + why);
      return finishEarly(ReadOutcome::Failed);
    }
    if (!sink.Append(buf.data(), size_t(n) * kSectorBytes, why)) {
      r.code = kErrWrite;
      r.message = why;
      return finishEarly(ReadOutcome::Failed);
    }
    r.dataBytes += uint64_t(n) * kSectorBytes;
    lba += n;
    report(PerMille(lba - startLba, total));
  }
  report(1000);
  r.outcome = ReadOutcome::Done;
  return r;
}

}  // namespace cdr
