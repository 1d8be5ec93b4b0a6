// What the read loop needs of a drive: its table of contents and raw CDDA
// frames. Real drives and disc images implement it; tests simulate one.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "components/cdreader/disc_toc.h"

namespace cdr {

class CdDevice {
 public:
  virtual ~CdDevice() = default;
  virtual bool ReadToc(DiscInfo& disc, std::wstring& error) = 0;
  // count frames of 2352 bytes from lba into out. False with the reason
  // (the caller names the sector).
  virtual bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) = 0;
  // Largest count one ReadFrames call takes.
  virtual uint32_t MaxFramesPerRead() const { return 24; }
  // Before a read that must come from the disc, not the drive's cache:
  // farLba is a readable sector far from what is read next.
  virtual void DefeatCache(uint32_t farLba) {}
  // A device that waits inside ReadFrames gives up when *abort is set.
  virtual void WatchAbort(const std::atomic<bool>* abort) {}
};

// Random access to one file of a disc image.
class ImageFile {
 public:
  virtual ~ImageFile() = default;
  virtual bool ReadAt(uint64_t offset, uint8_t* out, size_t bytes, std::wstring& error) = 0;
};

}  // namespace cdr
