#pragma once
// The 32-bit image test on the first bytes of a file. No Windows headers.

#include <cstddef>
#include <cstdint>

// True when the 32-bit value at offset 60 points at "PE\0\0" inside the
// buffer. A file too short for either read is not an image.
bool IsPeImageBuffer(const std::uint8_t* data, std::size_t size);
