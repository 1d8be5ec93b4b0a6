// A disc image as a drive: frames come from the layout's segments, silence
// where a segment has no file. Faults make it behave like a worn disc in a
// real drive.
#pragma once
#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

#include "components/cdreader/cd_device.h"
#include "components/cdreader/cue_sheet.h"
#include "components/cdreader/drive_faults.h"

namespace cdr {

// Time for a drive with a read speed; the Windows build and tests give one.
class DriveClock {
 public:
  virtual ~DriveClock() = default;
  virtual uint64_t NowUs() = 0;
  virtual void SleepUs(uint32_t us) = 0;
};

class ImageDevice : public CdDevice {
 public:
  ImageDevice(ImageLayout layout, std::vector<std::unique_ptr<ImageFile>> files);
  bool ReadToc(DiscInfo& disc, std::wstring& error) override;
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) override;
  uint32_t MaxFramesPerRead() const override { return 64; }
  void WatchAbort(const std::atomic<bool>* abort) override { abort_ = abort; }

  // Bad reads are counted per sector from here on. A speed needs a clock;
  // without one the drive reads at full speed.
  void SetFaults(DriveFaults faults, std::shared_ptr<DriveClock> clock = nullptr);
  const DriveFaults& Faults() const { return faults_; }

 private:
  bool ReadDisc(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error);
  bool ReadShifted(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error);
  void Spoil(uint32_t lba, uint32_t count, uint8_t* out);
  bool Pace(uint64_t bytes, std::wstring& error);

  ImageLayout layout_;
  std::vector<std::unique_ptr<ImageFile>> files_;
  DriveFaults faults_;
  std::shared_ptr<DriveClock> clock_;
  const std::atomic<bool>* abort_ = nullptr;
  std::unordered_map<uint32_t, uint32_t> flakyReads_;  // sector -> reads so far
  uint64_t randomReads_ = 0;
  double readyUs_ = 0;  // when the drive has delivered what was asked
  std::vector<uint8_t> scratch_;
};

}  // namespace cdr
