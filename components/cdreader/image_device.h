// A disc image as a drive: frames come from the layout's segments, silence
// where a segment has no file.
#pragma once
#include <memory>
#include <vector>

#include "components/cdreader/cd_device.h"
#include "components/cdreader/cue_sheet.h"

namespace cdr {

class ImageDevice : public CdDevice {
 public:
  ImageDevice(ImageLayout layout, std::vector<std::unique_ptr<ImageFile>> files);
  bool ReadToc(DiscInfo& disc, std::wstring& error) override;
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) override;
  uint32_t MaxFramesPerRead() const override { return 64; }

 private:
  ImageLayout layout_;
  std::vector<std::unique_ptr<ImageFile>> files_;
};

}  // namespace cdr
