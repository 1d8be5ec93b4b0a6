#include "menulink/registry/pe_image.h"

namespace {
std::uint32_t Le32(const std::uint8_t* p) {
  return (std::uint32_t)p[0] | ((std::uint32_t)p[1] << 8) | ((std::uint32_t)p[2] << 16) |
         ((std::uint32_t)p[3] << 24);
}
}  // namespace

bool IsPeImageBuffer(const std::uint8_t* data, std::size_t size) {
  if (!data || size < 64) return false;
  std::uint32_t at = Le32(data + 60);
  if (at > size || size - at < 4) return false;
  return Le32(data + at) == 0x4550;
}
