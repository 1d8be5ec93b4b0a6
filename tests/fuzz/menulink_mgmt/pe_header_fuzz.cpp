// The image test on the first bytes of any file.
#include <cstdint>
#include <vector>

#include "menulink/registry/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  bool image = IsPeImageBuffer(file.data(), file.size());
  if (image && file.size() < 64) __builtin_trap();
  return 0;
}
