// CUE sheets of disc images: parsing, and laying the tracks of their FILEs
// out on one disc (LBA 0 at track 1's INDEX 01).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "components/cdreader/disc_toc.h"

namespace cdr {

struct CueIndex {
  int number = 0;
  uint32_t frames = 0;  // position in the FILE, in frames
};

struct CueTrack {
  int number = 0;
  std::string mode;  // AUDIO, MODE1/2352, ...
  bool audio = true;
  uint32_t sectorBytes = kSectorBytes;
  uint32_t pregapFrames = 0;      // PREGAP: silence not stored in the file
  uint32_t postgapFrames = 0;     // POSTGAP
  std::vector<CueIndex> indexes;  // ascending; INDEX 01 always present
  int line = 0;
};

struct CueFile {
  std::string name;  // as written, bytes of the sheet's encoding
  std::string type;  // BINARY, MOTOROLA, ...
  std::vector<CueTrack> tracks;
};

struct CueSheet {
  std::vector<CueFile> files;
};

// False with a reason naming the line when the sheet cannot be used.
bool ParseCueSheet(std::string_view text, CueSheet& sheet, std::wstring& error);

// A stretch of the disc: frames taken from a FILE, or silence (file < 0).
struct ImageSegment {
  uint32_t startLba = 0;
  uint32_t frames = 0;
  int file = -1;
  uint64_t fileOffset = 0;
  uint32_t sectorBytes = kSectorBytes;
  bool swapBytes = false;  // MOTOROLA files hold big-endian samples
};

struct ImageLayout {
  DiscInfo disc;
  std::vector<ImageSegment> segments;  // ascending, contiguous from LBA 0
};

// fileSizes: byte size of each FILE, in sheet order. A trailing partial
// sector is not part of the disc. An audio track ends where the next track
// begins (its pregap belongs to the track before it, as a drive reads it),
// except before a data track, whose pregap is not audio.
bool BuildImageLayout(const CueSheet& sheet, const std::vector<uint64_t>& fileSizes, ImageLayout& layout,
                      std::wstring& error);

// Joins a FILE name to the folder of its sheet unless it is absolute.
// Both separators are accepted; the result uses the folder's own.
std::wstring ResolveCuePath(const std::wstring& cueFolder, const std::wstring& name);

}  // namespace cdr
