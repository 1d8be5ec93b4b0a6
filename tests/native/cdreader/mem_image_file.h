// A disc image file held in memory, for the image drive in the read tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "components/cdreader/cd_device.h"

class MemFile : public cdr::ImageFile {
 public:
  explicit MemFile(std::vector<uint8_t> d) : data(std::move(d)) {}
  bool ReadAt(uint64_t off, uint8_t* out, size_t n, std::wstring& error) override {
    if (off + n > data.size()) {
      error = L"short file";
      return false;
    }
    std::memcpy(out, data.data() + off, n);
    return true;
  }
  std::vector<uint8_t> data;
};
