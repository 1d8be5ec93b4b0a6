// How a simulated drive misbehaves: a read offset, sectors that read wrong
// for a while or for ever, and a read speed. Set on an image drive by a test,
// by discimage, or by a NAME.drive file beside NAME.cue.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cdr {

// Sectors [first, first + count) by drive LBA.
struct FlakyRange {
  uint32_t first = 0;
  uint32_t count = 0;
  uint32_t badReads = 0;  // the first badReads reads of each sector are wrong
};

struct RandomRange {
  uint32_t first = 0;
  uint32_t count = 0;
};

struct DriveFaults {
  // The drive returns, at its sample p, the disc's sample p - offsetSamples.
  int32_t offsetSamples = 0;
  std::vector<FlakyRange> flaky;
  std::vector<RandomRange> random;  // every read differs
  // Multiple of 176,400 audio bytes per second; 0 is as fast as the file.
  double speed = 0;

  bool Any() const { return offsetSamples != 0 || !flaky.empty() || !random.empty() || speed > 0; }
};

constexpr int32_t kMaxDriveOffset = 100000;  // samples
constexpr uint32_t kMaxFaultLba = 449999;    // 99:59:74, the longest disc
constexpr uint32_t kMaxBadReads = 1000;
constexpr double kMinDriveSpeed = 0.01;
constexpr double kMaxDriveSpeed = 1000;
constexpr size_t kMaxFaultRanges = 1000;

// The drive file, one setting a line; '#' starts a comment:
//   offset N            drive read offset in samples, e.g. +6 or -30
//   speed S[x]          e.g. 8x; 0 is full speed
//   flaky A[-B] K       sectors A..B read wrong on their first K reads
//   random A[-B]        sectors A..B read differently every time
// False with "line N: why" for the first bad line.
bool ParseDriveFaults(std::string_view text, DriveFaults& faults, std::wstring& error);

// The drive file that parses back into faults.
std::string DriveFaultsText(const DriveFaults& faults);

// Reads one setting given as on the command line ("flaky", "1000-1009 2").
bool ParseDriveSetting(std::string_view key, std::string_view value, DriveFaults& faults,
                       std::wstring& error);

}  // namespace cdr
