#include "perf_block.h"

#include "menulink/registry/perf_data.h"

namespace {
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = (std::uint8_t)(v >> (8 * i));
}
}  // namespace

std::vector<std::uint8_t> BuildPerfBlock(const PerfBlockSpec& layout) {
  using namespace perf_layout;
  std::vector<std::uint8_t> b(kBlockSize, 0);
  b[0] = 'P', b[2] = 'E', b[4] = 'R', b[6] = 'F';
  Put32(b, kBlockHeaderLength, kBlockSize);
  Put32(b, kBlockNumObjectTypes, 1);

  // Two counters: one before "ID Process", so the walk has to step.
  const std::size_t obj = kBlockSize;
  const std::uint32_t counters = 2;
  const std::uint32_t definitionLength = kObjSize + counters * kCtrSize;
  b.resize(obj + definitionLength, 0);
  Put32(b, obj + kObjDefinitionLength, definitionLength);
  Put32(b, obj + kObjHeaderLength, kObjSize);
  Put32(b, obj + kObjNameTitleIndex, layout.objectIndex);
  Put32(b, obj + kObjNumCounters, counters);
  Put32(b, obj + kObjNumInstances, (std::uint32_t)layout.instances.size());
  std::size_t c0 = obj + kObjSize, c1 = c0 + kCtrSize;
  Put32(b, c0 + kCtrByteLength, kCtrSize);
  Put32(b, c0 + kCtrNameTitleIndex, 6);  // "% Processor Time", 8 bytes at 8
  Put32(b, c0 + kCtrCounterSize, 8);
  Put32(b, c0 + kCtrCounterOffset, 8);
  Put32(b, c1 + kCtrByteLength, kCtrSize);
  Put32(b, c1 + kCtrNameTitleIndex, layout.withIdCounter ? layout.idCounterIndex : 999);
  Put32(b, c1 + kCtrCounterSize, 4);
  Put32(b, c1 + kCtrCounterOffset, 16);

  for (const PerfInstanceSpec& inst : layout.instances) {
    std::size_t at = b.size();
    std::uint32_t nameBytes = (std::uint32_t)(inst.name.size() + 1) * 2;
    std::uint32_t instLength = (std::uint32_t)((kInstSize + nameBytes + 7) & ~7u);
    b.resize(at + instLength, 0);
    Put32(b, at + kInstByteLength, instLength);
    Put32(b, at + kInstNameOffset, kInstSize);
    Put32(b, at + kInstNameLength, nameBytes);
    for (std::size_t i = 0; i < inst.name.size(); ++i) {
      b[at + kInstSize + 2 * i] = (std::uint8_t)inst.name[i];
      b[at + kInstSize + 2 * i + 1] = (std::uint8_t)(inst.name[i] >> 8);
    }
    std::size_t block = b.size();
    b.resize(block + 24, 0);
    Put32(b, block, 24);
    Put32(b, block + 8, 0xDEADBEEF);
    Put32(b, block + 16, inst.pid);
  }
  Put32(b, obj, (std::uint32_t)(b.size() - obj));
  Put32(b, 20, (std::uint32_t)b.size());
  return b;
}
