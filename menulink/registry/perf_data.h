#pragma once
// Reading process names out of performance-data blocks: the counter-name
// list of the Perflib key and the data block of the Process object. Pure
// byte walking with every offset checked, so a short or hostile block
// cannot make the reader leave the buffer. No Windows headers.

#include <cstddef>
#include <cstdint>

// Walks a "Counters" value (pairs of NUL-terminated strings, index text then
// counter name) for the first pair whose name equals name exactly. On a
// match the index text is copied into indexOut (cut to outSize) and true is
// returned; a name that is not in the list gives false.
bool PerfCounterListFind(const char* list, std::size_t listBytes, const char* name, char* indexOut,
                         std::size_t outSize);

enum class PerfLookup {
  Found,      // the process id was in the object; name set
  NotFound,   // the object is there, the process id is not
  NoProcess,  // no object of that index, no "ID Process" counter, or a malformed block
};

// Where the instance name lies in the block: UTF-16 code units, without
// the terminator.
struct PerfInstanceName {
  std::size_t offset = 0;
  std::size_t units = 0;
};

// Looks for pid in the first object of a PERF_DATA_BLOCK (that object must
// carry objectIndex) through the counter whose title index is
// idCounterIndex.
PerfLookup PerfFindProcessInBlock(const std::uint8_t* block, std::size_t size, std::uint32_t objectIndex,
                                  std::uint32_t idCounterIndex, std::uint32_t pid, PerfInstanceName* name);

// The name as 8-bit text, code units above 255 as '?'; for tests and for
// platforms without a code page conversion.
void PerfNameToLatin1(const std::uint8_t* block, std::size_t size, const PerfInstanceName& name, char* out,
                      std::size_t outSize);

// Layout of the platform's structures (little-endian, the same on 32- and
// 64-bit builds).
namespace perf_layout {
constexpr std::size_t kBlockHeaderLength = 24;  // PERF_DATA_BLOCK.HeaderLength
constexpr std::size_t kBlockNumObjectTypes = 28;
constexpr std::size_t kBlockSize = 88;
constexpr std::size_t kObjDefinitionLength = 4;
constexpr std::size_t kObjHeaderLength = 8;
constexpr std::size_t kObjNameTitleIndex = 12;
constexpr std::size_t kObjNumCounters = 32;
constexpr std::size_t kObjNumInstances = 40;
constexpr std::size_t kObjSize = 64;
constexpr std::size_t kCtrByteLength = 0;
constexpr std::size_t kCtrNameTitleIndex = 4;
constexpr std::size_t kCtrCounterSize = 32;
constexpr std::size_t kCtrCounterOffset = 36;
constexpr std::size_t kCtrSize = 40;
constexpr std::size_t kInstByteLength = 0;
constexpr std::size_t kInstNameOffset = 16;
constexpr std::size_t kInstNameLength = 20;
constexpr std::size_t kInstSize = 24;
}  // namespace perf_layout
