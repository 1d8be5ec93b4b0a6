#include "components/cdreader/image_device.h"

#include <algorithm>
#include <cstring>

namespace cdr {

namespace {

constexpr double kBytesPerSecondAt1x = 176400;
constexpr uint32_t kPaceSliceUs = 10000;  // how long an abort may wait

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// Changes every 32-bit word of a sector (a nonzero mask), differently for
// every key, so that no two spoiled reads agree and none equals the truth.
void SpoilSector(uint8_t* sector, uint64_t key) {
  uint64_t s = Mix(key);
  for (size_t i = 0; i < kSectorBytes; i += 4) {
    s = Mix(s);
    uint32_t mask = uint32_t(s) | 1;
    for (int b = 0; b < 4; ++b) sector[i + b] ^= uint8_t(mask >> (8 * b));
  }
}

}  // namespace

ImageDevice::ImageDevice(ImageLayout layout, std::vector<std::unique_ptr<ImageFile>> files)
    : layout_(std::move(layout)), files_(std::move(files)) {}

bool ImageDevice::ReadToc(DiscInfo& disc, std::wstring& error) {
  disc = layout_.disc;
  return true;
}

void ImageDevice::SetFaults(DriveFaults faults, std::shared_ptr<DriveClock> clock) {
  faults_ = std::move(faults);
  clock_ = std::move(clock);
  flakyReads_.clear();
  randomReads_ = 0;
  readyUs_ = 0;
}

bool ImageDevice::ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) {
  uint64_t end = uint64_t(lba) + count;
  if (end > layout_.disc.leadOutLba) {
    error = L"beyond the end of the disc";
    return false;
  }
  if (!faults_.Any()) return ReadDisc(lba, count, out, error);
  if (!(faults_.offsetSamples ? ReadShifted(lba, count, out, error) : ReadDisc(lba, count, out, error)))
    return false;
  Spoil(lba, count, out);
  return Pace(uint64_t(count) * kSectorBytes, error);
}

// The drive's sector lba holds the disc's bytes 4 * offset earlier; what lies
// outside the disc reads as silence.
bool ImageDevice::ReadShifted(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) {
  const int64_t bytes = int64_t(count) * kSectorBytes;
  const int64_t from = int64_t(lba) * kSectorBytes - int64_t(faults_.offsetSamples) * 4;
  const int64_t disc = int64_t(layout_.disc.leadOutLba) * kSectorBytes;
  std::memset(out, 0, size_t(bytes));
  int64_t a = std::max<int64_t>(from, 0), b = std::min<int64_t>(from + bytes, disc);
  if (a >= b) return true;
  int64_t fa = FloorDiv(a, kSectorBytes), fb = FloorDiv(b + kSectorBytes - 1, kSectorBytes);
  scratch_.resize(size_t(fb - fa) * kSectorBytes);
  if (!ReadDisc(uint32_t(fa), uint32_t(fb - fa), scratch_.data(), error)) return false;
  std::memcpy(out + (a - from), scratch_.data() + (a - fa * kSectorBytes), size_t(b - a));
  return true;
}

void ImageDevice::Spoil(uint32_t lba, uint32_t count, uint8_t* out) {
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t s = lba + i;
    uint8_t* sector = out + size_t(i) * kSectorBytes;
    bool spoiled = false;
    for (const RandomRange& r : faults_.random) {
      if (s - r.first < r.count) {
        SpoilSector(sector, (uint64_t(s) << 32) ^ ++randomReads_ ^ 0x5A5A000000000000ull);
        spoiled = true;
        break;
      }
    }
    if (spoiled) continue;
    for (const FlakyRange& r : faults_.flaky) {
      if (s - r.first < r.count) {
        uint32_t& n = flakyReads_[s];
        if (n < r.badReads) SpoilSector(sector, (uint64_t(s) << 32) | n);
        ++n;
        break;
      }
    }
  }
}

bool ImageDevice::Pace(uint64_t bytes, std::wstring& error) {
  if (!(faults_.speed > 0) || !clock_) return true;
  double now = double(clock_->NowUs());
  readyUs_ = std::max(readyUs_, now) + double(bytes) * 1e6 / (faults_.speed * kBytesPerSecondAt1x);
  while (now < readyUs_) {
    if (abort_ && abort_->load()) {
      error = L"the read was aborted";
      return false;
    }
    clock_->SleepUs(uint32_t(std::min<double>(kPaceSliceUs, readyUs_ - now + 1)));
    now = double(clock_->NowUs());
  }
  return true;
}

bool ImageDevice::ReadDisc(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) {
  uint64_t end = uint64_t(lba) + count;
  const auto& segs = layout_.segments;
  // Last segment starting at or before lba.
  auto it = std::upper_bound(segs.begin(), segs.end(), lba,
                             [](uint32_t v, const ImageSegment& s) { return v < s.startLba; });
  if (it != segs.begin()) --it;
  uint32_t cur = lba;
  while (cur < end) {
    if (it == segs.end() || cur < it->startLba) {
      error = L"sector " + std::to_wstring(cur) + L" is not in the image";
      return false;
    }
    uint64_t segEnd = uint64_t(it->startLba) + it->frames;
    if (cur >= segEnd) {
      ++it;
      continue;
    }
    uint32_t n = uint32_t(std::min<uint64_t>(segEnd, end) - cur);
    uint8_t* dst = out + size_t(cur - lba) * kSectorBytes;
    size_t bytes = size_t(n) * kSectorBytes;
    if (it->file < 0 || it->sectorBytes != kSectorBytes) {
      // Generated gaps are silent; frames of other sizes are not audio.
      std::memset(dst, 0, bytes);
    } else {
      ImageFile* f = size_t(it->file) < files_.size() ? files_[it->file].get() : nullptr;
      uint64_t off = it->fileOffset + uint64_t(cur - it->startLba) * kSectorBytes;
      std::wstring why;
      if (!f || !f->ReadAt(off, dst, bytes, why)) {
        error = why.empty() ? L"the image file cannot be read" : why;
        return false;
      }
      if (it->swapBytes)
        for (size_t i = 0; i + 1 < bytes; i += 2) std::swap(dst[i], dst[i + 1]);
    }
    cur += n;
  }
  return true;
}

}  // namespace cdr
