#include "components/cdreader/image_device.h"

#include <algorithm>
#include <cstring>

namespace cdr {

ImageDevice::ImageDevice(ImageLayout layout, std::vector<std::unique_ptr<ImageFile>> files)
    : layout_(std::move(layout)), files_(std::move(files)) {}

bool ImageDevice::ReadToc(DiscInfo& disc, std::wstring& error) {
  disc = layout_.disc;
  return true;
}

bool ImageDevice::ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) {
  uint64_t end = uint64_t(lba) + count;
  if (end > layout_.disc.leadOutLba) {
    error = L"beyond the end of the disc";
    return false;
  }
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
