// Performance-data blocks and counter lists as the registry might hand
// them over: any bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "menulink/registry/perf_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> block(data, data + size);
  std::uint32_t pid = size >= 4 ? (std::uint32_t)data[size - 1] : 0;
  PerfInstanceName where;
  if (PerfFindProcessInBlock(block.data(), block.size(), 230, 784, pid, &where) == PerfLookup::Found) {
    char name[64];
    PerfNameToLatin1(block.data(), block.size(), where, name, sizeof name);
    if (std::strlen(name) > 63) __builtin_trap();
  }
  char index[16];
  PerfCounterListFind(reinterpret_cast<const char*>(block.data()), block.size(), "Process", index,
                      sizeof index);
  return 0;
}
