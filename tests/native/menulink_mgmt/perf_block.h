#pragma once
// Builds performance-data blocks the way the platform lays them out, for
// the parser's tests and the fuzzer's seeds.

#include <cstdint>
#include <string>
#include <vector>

struct PerfInstanceSpec {
  std::u16string name;
  std::uint32_t pid;
};

struct PerfBlockSpec {
  std::uint32_t objectIndex = 230;
  std::uint32_t idCounterIndex = 784;
  bool withIdCounter = true;
  std::vector<PerfInstanceSpec> instances;
};

std::vector<std::uint8_t> BuildPerfBlock(const PerfBlockSpec& layout);
