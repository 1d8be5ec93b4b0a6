#include "components/cdreader/track_read.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "components/accuraterip/ar_checksum.h"
#include "components/cdreader/wav_header.h"

namespace cdr {

int32_t PerMille(uint64_t done, uint64_t total) {
  if (total == 0 || done >= total) return 1000;
  return int32_t(done * 1000 / total);
}

void ReadableSpan(const DiscInfo& disc, uint32_t& first, uint32_t& end) {
  first = end = 0;
  if (disc.AudioCount() == 0) return;
  first = disc.tracks.front().audio ? 0 : disc.Audio(1)->startLba;
  for (const DiscTrack& t : disc.tracks)
    if (t.audio) end = std::max(end, t.endLba);
}

namespace {

constexpr int64_t kSector = kSectorBytes;

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

enum class ChunkStatus { Ok, Aborted, Failed };

// One track read: the drive's sectors [driveFirst, driveEnd) hold the
// track's bytes from byteStart on, shifted by the correction.
class TrackReader {
 public:
  TrackReader(CdDevice& device, const TrackReadPlan& plan, WavSink& sink, const std::atomic<bool>& abort,
              const std::function<void(int32_t)>& progress)
      : device_(device), spec_(plan), sink_(sink), abort_(abort), progress_(progress) {
    total_ = plan.endLba > plan.startLba ? plan.endLba - plan.startLba : 0;
    outBytes_ = int64_t(total_) * kSector;
    byteStart_ = int64_t(plan.startLba) * kSector + int64_t(plan.options.offsetSamples) * 4;
    driveFirst_ = FloorDiv(byteStart_, kSector);
    driveEnd_ = FloorDiv(byteStart_ + outBytes_ + kSector - 1, kSector);
    if (total_ == 0) driveEnd_ = driveFirst_;
    // No span given: the drive reads every sector from 0 on.
    readFirst_ = plan.readableFirst;
    readEnd_ = plan.readableEnd > plan.readableFirst ? int64_t(plan.readableEnd) : int64_t(UINT32_MAX);
    chunk_ = device.MaxFramesPerRead();
    if (chunk_ == 0) chunk_ = 1;
  }

  ReadResult Run(TrackProof* proof) {
    auto header = MakeWavHeader(uint64_t(total_) * kSectorBytes);
    std::wstring why;
    if (!sink_.Append(header.data(), header.size(), why)) {
      r_.code = kErrWrite;
      r_.message = why;
      return r_;
    }
    device_.WatchAbort(&abort_);
    ar::TrackChecksums sums(total_ * ar::kSamplesPerSector, spec_.firstTrack, spec_.lastTrack);
    if (proof) sums_ = &sums;  // no proof wanted, no checksums to pay for
    const bool secure = spec_.options.secure;
    passes_ = secure ? 2 : 1;
    Report(0);
    if (secure) {
      if (!TestPass()) return Finish();
      device_.DefeatCache(FarFrom(driveFirst_));
    }
    if (!CopyPass(secure)) return Finish();
    Report(1000);
    r_.outcome = ReadOutcome::Done;
    device_.WatchAbort(nullptr);
    if (proof) {
      *proof = TrackProof{};
      proof->valid = true;
      proof->crc = sums.Crc();
      proof->secure = secure;
      proof->testCrc = secure ? testCrc_ : sums.Crc();
      proof->rereads = rereads_;
      proof->suspiciousSamples = suspicious_;
      proof->arV1 = sums.V1();
      proof->arV2 = sums.V2();
      proof->frame450ByShift = sums.Frame450ByShift();
    }
    return r_;
  }

 private:
  ReadResult Finish() {
    device_.WatchAbort(nullptr);
    auto h = MakeWavHeader(r_.dataBytes);
    std::wstring ignored;
    sink_.RewriteHeader(h.data(), h.size(), ignored);
    return r_;
  }

  void Report(int32_t pm) {
    if (pm > lastReported_) {
      lastReported_ = pm;
      if (progress_) progress_(pm);
    }
  }

  void Advance(int64_t sectors) {
    done_ += sectors;
    Report(PerMille(uint64_t(done_), uint64_t(driveEnd_ - driveFirst_) * passes_));
  }

  int64_t FarFrom(int64_t lba) const {
    int64_t first = readFirst_, end = std::min(readEnd_, driveEnd_ + 20000);
    if (end <= first) return first;
    return lba - first < (end - first) / 2 ? end - 1 : first;
  }

  // Drive sectors [a, a + n) into buf; silence where the drive has none.
  ChunkStatus ReadChunk(int64_t a, uint32_t n, uint8_t* buf) {
    const int64_t lo = std::max<int64_t>(a, readFirst_);
    const int64_t hi = std::min<int64_t>(a + n, readEnd_);
    if (lo >= hi) {
      std::memset(buf, 0, size_t(n) * kSectorBytes);
      return ChunkStatus::Ok;
    }
    if (lo > a) std::memset(buf, 0, size_t(lo - a) * kSectorBytes);
    if (hi < a + n) std::memset(buf + (hi - a) * kSector, 0, size_t(a + n - hi) * kSectorBytes);
    std::wstring why;
    bool ok = false;
    for (int attempt = 0; attempt < kReadAttempts && !ok; ++attempt) {
      why.clear();
      ok = device_.ReadFrames(uint32_t(lo), uint32_t(hi - lo), buf + (lo - a) * kSector, why);
      if (!ok && abort_.load()) {
        r_.outcome = ReadOutcome::Aborted;
        return ChunkStatus::Aborted;
      }
    }
    if (!ok) {
      r_.outcome = ReadOutcome::Failed;
      r_.code = kErrRead;
      r_.message = L"Read error at sector " + std::to_wstring(lo) + (why.empty() ? L"" : L": " + why);
      return ChunkStatus::Failed;
    }
    return ChunkStatus::Ok;
  }

  // The part of drive sectors [a, a + n) that belongs to the track.
  void Slice(int64_t a, uint32_t n, const uint8_t* buf, const uint8_t*& data, size_t& bytes) const {
    int64_t from = std::max(a * kSector, byteStart_);
    int64_t to = std::min((a + n) * kSector, byteStart_ + outBytes_);
    data = buf + (from - a * kSector);
    bytes = to > from ? size_t(to - from) : 0;
  }

  bool Aborting() {
    if (!abort_.load()) return false;
    r_.outcome = ReadOutcome::Aborted;
    return true;
  }

  bool TestPass() {
    std::vector<uint8_t> buf(size_t(chunk_) * kSectorBytes);
    testSectorCrc_.assign(size_t(driveEnd_ - driveFirst_), 0);
    for (int64_t a = driveFirst_; a < driveEnd_;) {
      if (Aborting()) return false;
      uint32_t n = uint32_t(std::min<int64_t>(driveEnd_ - a, chunk_));
      if (ReadChunk(a, n, buf.data()) != ChunkStatus::Ok) return false;
      for (uint32_t i = 0; i < n; ++i)
        testSectorCrc_[size_t(a - driveFirst_ + i)] = ar::Crc32(0, buf.data() + i * kSector, kSectorBytes);
      const uint8_t* data;
      size_t bytes;
      Slice(a, n, buf.data(), data, bytes);
      testCrc_ = ar::Crc32(testCrc_, data, bytes);
      a += n;
      Advance(n);
    }
    return true;
  }

  bool CopyPass(bool secure) {
    std::vector<uint8_t> buf(size_t(chunk_) * kSectorBytes), again;
    if (secure) again.resize(buf.size());
    for (int64_t a = driveFirst_; a < driveEnd_;) {
      if (Aborting()) return false;
      uint32_t n = uint32_t(std::min<int64_t>(driveEnd_ - a, chunk_));
      if (ReadChunk(a, n, buf.data()) != ChunkStatus::Ok) return false;
      if (secure && !Settle(a, n, buf.data(), again.data())) return false;
      const uint8_t* data;
      size_t bytes;
      Slice(a, n, buf.data(), data, bytes);
      std::wstring why;
      if (!sink_.Append(data, bytes, why)) {
        r_.outcome = ReadOutcome::Failed;
        r_.code = kErrWrite;
        r_.message = why;
        return false;
      }
      if (sums_) sums_->Add(data, bytes);
      r_.dataBytes += bytes;
      a += n;
      Advance(n);
    }
    return true;
  }

  // Sectors of the copy read in buf that differ from the test read are read
  // again until two reads of each agree; those that never do are doubtful.
  bool Settle(int64_t a, uint32_t n, uint8_t* buf, uint8_t* again) {
    struct Open {
      uint32_t index;
      std::vector<uint32_t> seen;  // CRCs of the reads so far
    };
    std::vector<Open> open;
    for (uint32_t i = 0; i < n; ++i) {
      uint32_t test = testSectorCrc_[size_t(a - driveFirst_ + i)];
      uint32_t copy = ar::Crc32(0, buf + i * kSector, kSectorBytes);
      if (copy != test) open.push_back({i, {test, copy}});
    }
    for (int round = 0; round < kMaxRereads && !open.empty(); ++round) {
      if (Aborting()) return false;
      const uint32_t lo = open.front().index, hi = open.back().index + 1;
      device_.DefeatCache(uint32_t(std::max<int64_t>(FarFrom(a + lo), 0)));
      if (ReadChunk(a + lo, hi - lo, again) != ChunkStatus::Ok) return false;
      ++rereads_;
      std::vector<Open> still;
      for (Open& o : open) {
        const uint8_t* sector = again + size_t(o.index - lo) * kSectorBytes;
        uint32_t crc = ar::Crc32(0, sector, kSectorBytes);
        if (std::find(o.seen.begin(), o.seen.end(), crc) != o.seen.end()) {
          std::memcpy(buf + size_t(o.index) * kSectorBytes, sector, kSectorBytes);
        } else {
          o.seen.push_back(crc);
          still.push_back(std::move(o));
        }
      }
      open = std::move(still);
    }
    for (const Open& o : open) Doubtful(a + o.index);
    return true;
  }

  // A sector that never read alike twice; consecutive ones make one stretch,
  // named by its first sample within the track.
  void Doubtful(int64_t sector) {
    if (sector != lastDoubtful_ + 1 || suspicious_.empty()) {
      int64_t sample = (sector * kSector - byteStart_) / 4;
      suspicious_.push_back(uint32_t(std::max<int64_t>(sample, 0)));
    }
    lastDoubtful_ = sector;
  }

  CdDevice& device_;
  const TrackReadPlan& spec_;
  WavSink& sink_;
  const std::atomic<bool>& abort_;
  const std::function<void(int32_t)>& progress_;
  ReadResult r_;
  uint32_t total_ = 0;
  int64_t outBytes_ = 0, byteStart_ = 0, driveFirst_ = 0, driveEnd_ = 0;
  int64_t readFirst_ = 0, readEnd_ = 0;
  uint32_t chunk_ = 1;
  int passes_ = 1;
  int64_t done_ = 0;
  int32_t lastReported_ = -1;
  ar::TrackChecksums* sums_ = nullptr;
  std::vector<uint32_t> testSectorCrc_;
  uint32_t testCrc_ = 0;
  int32_t rereads_ = 0;
  std::vector<uint32_t> suspicious_;
  int64_t lastDoubtful_ = -2;
};

}  // namespace

ReadResult ReadTrack(CdDevice& device, const TrackReadPlan& plan, WavSink& sink, const std::atomic<bool>& abort,
                     const std::function<void(int32_t)>& progress, TrackProof* proof) {
  return TrackReader(device, plan, sink, abort, progress).Run(proof);
}

ReadResult ReadTrackFrames(CdDevice& device, uint32_t startLba, uint32_t endLba, WavSink& sink,
                           const std::atomic<bool>& abort, const std::function<void(int32_t)>& progress) {
  TrackReadPlan plan;
  plan.startLba = startLba;
  plan.endLba = endLba;
  plan.readableFirst = startLba;
  plan.readableEnd = std::max(startLba, endLba);
  return ReadTrack(device, plan, sink, abort, progress);
}

}  // namespace cdr
