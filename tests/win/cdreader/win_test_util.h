// Disc images on disk and an event recorder for the reader's
// Windows tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ripper/engine/cd_reader.h"
#include "tests/win/common/test_files.h"
#include "tests/win/common/test_process.h"
#include "tools/discimage/image_plan.h"

// Writes plan's CUE and BINs into dir, as discimage does; returns the CUE.
std::wstring WriteImage(const ScratchDir& dir, const discimage::Plan& plan, uint32_t seed);

struct Recorded {
  enum Kind { Progress, Done, Error } kind;
  int32_t value;
  std::wstring message;
  bool onUiThread;
};

class Recorder : public CdReaderEvents {
 public:
  void ReadProgress(int32_t perMille) override;
  void ReadDone() override;
  void ReadError(int32_t code, const std::wstring& message) override;
  int Finals() const;
  std::vector<Recorded> events;
  std::function<void()> onFinal;
};

std::string Narrow(const std::wstring& w);
