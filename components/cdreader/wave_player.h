// Plays frames of a drive (a disc image) on the sound device from a worker
// thread.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <string>

#include "components/cdreader/cd_device.h"

namespace cdr {

class WavePlayer {
 public:
  WavePlayer() = default;
  WavePlayer(const WavePlayer&) = delete;
  WavePlayer& operator=(const WavePlayer&) = delete;
  ~WavePlayer() { Stop(); }
  // Opens the sound device here, so that its absence is reported at once.
  bool Start(std::unique_ptr<CdDevice> device, uint32_t startLba, uint32_t endLba, std::wstring& error);
  void Stop();
  bool Playing() const;

 private:
  static DWORD WINAPI ThreadProc(void* self);
  void Run();

  std::unique_ptr<CdDevice> device_;
  uint32_t next_ = 0, end_ = 0;
  HWAVEOUT wave_ = nullptr;
  HANDLE done_ = nullptr;  // signalled by the driver per finished buffer
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
};

}  // namespace cdr
