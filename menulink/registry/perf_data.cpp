#include "menulink/registry/perf_data.h"

#include <cstring>
#include <initializer_list>

namespace {

bool Read32(const std::uint8_t* p, std::size_t size, std::size_t at, std::uint32_t* v) {
  if (at > size || size - at < 4) return false;
  *v = (std::uint32_t)p[at] | ((std::uint32_t)p[at + 1] << 8) | ((std::uint32_t)p[at + 2] << 16) |
       ((std::uint32_t)p[at + 3] << 24);
  return true;
}

struct Field {
  std::size_t offset;
  std::uint32_t* value;
};

// Reads the fields of the structure at base; false, nothing read, when
// fewer than need bytes are left there.
bool ReadStruct(const std::uint8_t* p, std::size_t size, std::size_t base, std::size_t need,
                std::initializer_list<Field> fields) {
  if (base > size || size - base < need) return false;
  for (const Field& f : fields) Read32(p, size, base + f.offset, f.value);
  return true;
}

// The offset of counter idCounterIndex within an instance's counter block,
// from the numCounters definitions at ctr. False when it is not there or a
// definition is cut short.
bool FindCounterOffset(const std::uint8_t* block, std::size_t size, std::size_t ctr,
                       std::uint32_t numCounters, std::uint32_t idCounterIndex,
                       std::uint32_t* counterOffset) {
  using namespace perf_layout;
  for (std::uint32_t i = 0; i < numCounters; ++i) {
    std::uint32_t byteLength = 0, title = 0, offset = 0;
    if (!ReadStruct(
            block, size, ctr, kCtrSize,
            {{kCtrByteLength, &byteLength}, {kCtrNameTitleIndex, &title}, {kCtrCounterOffset, &offset}}))
      return false;
    if (title == idCounterIndex) {
      *counterOffset = offset;
      return true;
    }
    if (byteLength == 0) return false;  // would loop on one definition
    ctr += byteLength;
  }
  return false;
}

// Length of the string at list[at] within listBytes; listBytes - at when it
// has no terminator.
std::size_t BoundedLen(const char* list, std::size_t listBytes, std::size_t at) {
  const void* nul = std::memchr(list + at, '\0', listBytes - at);
  return nul ? (std::size_t)(static_cast<const char*>(nul) - (list + at)) : listBytes - at;
}

}  // namespace

bool PerfCounterListFind(const char* list, std::size_t listBytes, const char* name, char* indexOut,
                         std::size_t outSize) {
  if (!list || !name) return false;
  std::size_t want = std::strlen(name);
  std::size_t at = 0;
  while (at < listBytes) {
    std::size_t indexAt = at;
    std::size_t indexLen = BoundedLen(list, listBytes, at);
    if (indexLen == 0) break;  // the empty string ends the list
    at += indexLen + 1;
    if (at >= listBytes) break;
    std::size_t nameLen = BoundedLen(list, listBytes, at);
    bool match = nameLen == want && std::memcmp(list + at, name, want) == 0;
    at += nameLen + 1;
    if (match) {
      if (indexOut && outSize) {
        std::size_t n = indexLen < outSize - 1 ? indexLen : outSize - 1;
        std::memcpy(indexOut, list + indexAt, n);
        indexOut[n] = '\0';
      }
      return true;
    }
  }
  return false;
}

PerfLookup PerfFindProcessInBlock(const std::uint8_t* block, std::size_t size, std::uint32_t objectIndex,
                                  std::uint32_t idCounterIndex, std::uint32_t pid, PerfInstanceName* name) {
  using namespace perf_layout;
  if (!block) return PerfLookup::NoProcess;
  std::uint32_t headerLength = 0, numObjects = 0;
  if (!Read32(block, size, kBlockHeaderLength, &headerLength) ||
      !Read32(block, size, kBlockNumObjectTypes, &numObjects))
    return PerfLookup::NoProcess;
  if (numObjects == 0) return PerfLookup::NoProcess;

  std::size_t obj = headerLength;
  std::uint32_t definitionLength = 0, objHeaderLength = 0, objTitle = 0, numCounters = 0, numInstances = 0;
  if (!ReadStruct(block, size, obj, kObjSize,
                  {{kObjDefinitionLength, &definitionLength},
                   {kObjHeaderLength, &objHeaderLength},
                   {kObjNameTitleIndex, &objTitle},
                   {kObjNumCounters, &numCounters},
                   {kObjNumInstances, &numInstances}}))
    return PerfLookup::NoProcess;
  if (objTitle != objectIndex) return PerfLookup::NoProcess;

  // The "ID Process" counter's offset within each instance's counter block.
  std::uint32_t counterOffset = 0;
  if (!FindCounterOffset(block, size, obj + objHeaderLength, numCounters, idCounterIndex, &counterOffset))
    return PerfLookup::NoProcess;

  // PERF_NO_INSTANCES (-1) and 0 both mean there is no process to find.
  if (numInstances == 0xFFFFFFFFu) return PerfLookup::NotFound;
  std::size_t inst = obj + definitionLength;
  for (std::uint32_t i = 0; i < numInstances; ++i) {
    std::uint32_t instLength = 0, nameOffset = 0, nameLength = 0;
    if (!ReadStruct(
            block, size, inst, kInstSize,
            {{kInstByteLength, &instLength}, {kInstNameOffset, &nameOffset}, {kInstNameLength, &nameLength}}))
      return PerfLookup::NotFound;
    if (instLength < kInstSize) return PerfLookup::NotFound;
    std::size_t counters = inst + instLength;
    std::uint32_t blockLength = 0, value = 0;
    if (!Read32(block, size, counters, &blockLength)) return PerfLookup::NotFound;
    if (Read32(block, size, counters + counterOffset, &value) && value == pid) {
      std::size_t at = inst + nameOffset;
      if (name) {
        name->offset = at;
        name->units = 0;
        // NameLength counts bytes with the terminator; stop at the
        // first NUL and at the end of the block as well.
        std::size_t maxUnits = nameLength / 2;
        while (name->units < maxUnits && at + 2 * name->units + 1 < size &&
               (block[at + 2 * name->units] | block[at + 2 * name->units + 1]) != 0)
          ++name->units;
      }
      return PerfLookup::Found;
    }
    if (blockLength == 0) return PerfLookup::NotFound;
    inst = counters + blockLength;
  }
  return PerfLookup::NotFound;
}

void PerfNameToLatin1(const std::uint8_t* block, std::size_t size, const PerfInstanceName& name, char* out,
                      std::size_t outSize) {
  if (!out || outSize == 0) return;
  std::size_t n = 0;
  for (std::size_t i = 0; i < name.units && n + 1 < outSize; ++i) {
    std::size_t at = name.offset + 2 * i;
    if (at + 1 >= size) break;
    unsigned unit = block[at] | (block[at + 1] << 8);
    out[n++] = unit < 256 ? (char)unit : '?';
  }
  out[n] = '\0';
}
