// Disc images on disk, a message pump and an event recorder for the reader's
// Windows tests.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ripper/engine/cd_reader.h"
#include "tools/discimage/image_plan.h"

// A fresh folder under %TEMP%, removed with its files by the destructor.
struct TempDir {
  TempDir();
  ~TempDir();
  std::wstring path;
  std::wstring File(const std::wstring& name) const { return path + L"\\" + name; }
};

// Writes plan's CUE and BINs into dir, as discimage does; returns the CUE.
std::wstring WriteImage(const TempDir& dir, const discimage::Plan& plan, uint32_t seed);
void WriteText(const std::wstring& path, const std::string& text);
std::vector<uint8_t> ReadAll(const std::wstring& path);
bool Exists(const std::wstring& path);

// Pumps this thread's messages until done() or ms pass; false on time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = 20000);
void PumpFor(DWORD ms);

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
