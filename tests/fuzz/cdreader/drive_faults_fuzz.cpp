// Drive files sit beside CUE sheets and come from anywhere: parse them, and
// whatever parses must write out and read back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "components/cdreader/drive_faults.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  cdr::DriveFaults f;
  std::wstring error;
  if (!cdr::ParseDriveFaults(text, f, error)) {
    if (error.rfind(L"line ", 0) != 0) __builtin_trap();
    return 0;
  }
  cdr::DriveFaults back;
  if (!cdr::ParseDriveFaults(cdr::DriveFaultsText(f), back, error)) __builtin_trap();
  if (back.offsetSamples != f.offsetSamples || back.flaky.size() != f.flaky.size() ||
      back.random.size() != f.random.size())
    __builtin_trap();
  if (back.speed != 0 && (back.speed / f.speed > 1.000001 || back.speed / f.speed < 0.999999)) __builtin_trap();
  for (size_t i = 0; i < f.flaky.size(); ++i)
    if (back.flaky[i].first != f.flaky[i].first || back.flaky[i].count != f.flaky[i].count ||
        back.flaky[i].badReads != f.flaky[i].badReads)
      __builtin_trap();
  for (size_t i = 0; i < f.random.size(); ++i)
    if (back.random[i].first != f.random[i].first || back.random[i].count != f.random[i].count) __builtin_trap();
  return 0;
}
