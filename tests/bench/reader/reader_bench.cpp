// What secure reading costs: one track of a disc image read plainly and
// securely through the real read loop and image drive, each the best of
// several rounds, turn about; printed as a ratio to the plain read.
//   reader_bench CUE [ROUNDS]
#include <windows.h>

#include <cstdio>
#include <string>

#include "components/cdreader/disc_image.h"
#include "components/cdreader/track_read.h"

using namespace cdr;

namespace {

// Keeps nothing: the cost measured is the read's, not the disk's.
class NullSink : public WavSink {
 public:
  bool Append(const uint8_t*, size_t n, std::wstring&) override {
    bytes += n;
    return true;
  }
  bool RewriteHeader(const uint8_t*, size_t, std::wstring&) override { return true; }
  uint64_t bytes = 0;
};

class CountingDevice : public CdDevice {
 public:
  explicit CountingDevice(CdDevice& d) : inner(d) {}
  bool ReadToc(DiscInfo& disc, std::wstring& e) override { return inner.ReadToc(disc, e); }
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& e) override {
    sectors += count;
    return inner.ReadFrames(lba, count, out, e);
  }
  uint32_t MaxFramesPerRead() const override { return inner.MaxFramesPerRead(); }
  CdDevice& inner;
  uint64_t sectors = 0;
};

double Seconds() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reader_bench CUE [ROUNDS]\n");
    return 2;
  }
  int rounds = argc > 2 ? _wtoi(argv[2]) : 5;
  if (rounds < 1) rounds = 1;
  std::wstring error;
  auto image = OpenDiscImage(argv[1], error);
  DiscInfo disc;
  if (!image || !image->ReadToc(disc, error) || disc.AudioCount() < 1) {
    std::fprintf(stderr, "reader bench: cannot open the image: %ls\n", error.c_str());
    return 1;
  }
  TrackReadPlan plan;
  plan.startLba = disc.Audio(1)->startLba;
  plan.endLba = disc.Audio(1)->endLba;
  ReadableSpan(disc, plan.readableFirst, plan.readableEnd);
  plan.firstTrack = true;
  plan.lastTrack = disc.AudioCount() == 1;
  std::atomic<bool> abort{false};
  double best[2] = {1e30, 1e30};
  uint64_t sectors[2] = {0, 0};
  for (int r = 0; r < rounds; ++r) {
    for (int secure = 0; secure < 2; ++secure) {
      plan.options.secure = secure != 0;
      CountingDevice dev(*image);
      NullSink sink;
      TrackProof proof;
      double t0 = Seconds();
      ReadResult res = ReadTrack(dev, plan, sink, abort, nullptr, &proof);
      double t = Seconds() - t0;
      if (res.outcome != ReadOutcome::Done) {
        std::fprintf(stderr, "reader bench: the read failed: %ls\n", res.message.c_str());
        return 1;
      }
      if (t < best[secure]) best[secure] = t;
      sectors[secure] = dev.sectors;
    }
  }
  double mb = double(plan.endLba - plan.startLba) * kSectorBytes / 1e6;
  std::printf("track 1: %.1f MB of audio, best of %d rounds each\n", mb, rounds);
  std::printf("plain read: %.3f s (%.0f MB/s)\n", best[0], mb / best[0]);
  std::printf("secure read: %.3f s (%.0f MB/s)\n", best[1], mb / best[1]);
  std::printf("secure reading: sectors read / plain read: %.3f\n", double(sectors[1]) / double(sectors[0]));
  std::printf("secure reading: read time / plain read: %.3f\n", best[1] / best[0]);
  return 0;
}
