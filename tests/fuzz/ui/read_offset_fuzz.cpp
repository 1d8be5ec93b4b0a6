// The read-offset text from the command line and the dialog, and a drive
// description made into a value name: no crash, and an accepted number is
// in range and reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ripper/ui/read_offset_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(wchar_t(data[i] | (data[i + 1] << 8)));
  int32_t v = 0;
  if (ParseReadOffset(text, v)) {
    if (v < kReadOffsetMin || v > kReadOffsetMax) std::abort();
    int32_t back = 99999;
    if (!ParseReadOffset(ReadOffsetText(v), back) || back != v) std::abort();
    if (!StoredReadOffset(static_cast<uint32_t>(v), back) || back != v) std::abort();
  }
  if (DriveSettingName(text).empty()) std::abort();
  if (size >= 4) {
    uint32_t stored =
        uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
    if (StoredReadOffset(stored, v) && (v < kReadOffsetMin || v > kReadOffsetMax)) std::abort();
  }
  return 0;
}
