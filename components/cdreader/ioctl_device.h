// A CD-ROM drive of this machine through the Windows CD-ROM IOCTLs.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "components/cdreader/cd_device.h"

namespace cdr {

// Letters of the drives whose type is DRIVE_CDROM, in order.
std::vector<wchar_t> CdromLetters();
// "E: <vendor> <product>" or "E: CD-ROM drive".
std::wstring CdromDescription(wchar_t letter);

class IoctlDevice : public CdDevice {
 public:
  static std::unique_ptr<IoctlDevice> Open(wchar_t letter, std::wstring& error);
  ~IoctlDevice() override;
  bool ReadToc(DiscInfo& disc, std::wstring& error) override;
  bool ReadFrames(uint32_t lba, uint32_t count, uint8_t* out, std::wstring& error) override;
  // RAW_READ transfers stay under 64 KiB on most drives.
  uint32_t MaxFramesPerRead() const override { return 26; }
  // A read far away refills the drive's read-ahead cache from there.
  void DefeatCache(uint32_t farLba) override;
  bool PlayAudio(uint32_t startLba, uint32_t endLba, std::wstring& error);
  bool StopAudio(std::wstring& error);

 private:
  IoctlDevice(HANDLE h, wchar_t letter) : h_(h), letter_(letter) {}
  HANDLE h_;
  wchar_t letter_;
};

}  // namespace cdr
