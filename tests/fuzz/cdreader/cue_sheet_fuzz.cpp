// CUE sheets come from anywhere: parse them and lay them out against file
// sizes taken from the input itself.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "components/cdreader/cue_sheet.h"
#include "components/cdreader/disc_toc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint8_t sizeSeed = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  cdr::CueSheet sheet;
  std::wstring error;
  if (cdr::ParseCueSheet(text, sheet, error)) {
    std::vector<uint64_t> sizes;
    for (size_t i = 0; i < sheet.files.size(); ++i)
      sizes.push_back(uint64_t(sizeSeed) * (i + 1) * 997 * 2352 + sizeSeed * 13);
    cdr::ImageLayout layout;
    if (cdr::BuildImageLayout(sheet, sizes, layout, error)) {
      // The layout must be contiguous and hold every audio track.
      uint32_t at = 0;
      for (const auto& s : layout.segments) {
        if (s.startLba != at) __builtin_trap();
        at += s.frames;
      }
      if (at != layout.disc.leadOutLba) __builtin_trap();
      for (int i = 1; i <= layout.disc.AudioCount(); ++i) {
        const cdr::DiscTrack* t = layout.disc.Audio(i);
        if (t->startLba > t->endLba || t->endLba > layout.disc.leadOutLba) __builtin_trap();
      }
    }
  }
  // The drive TOC parser reads the same bytes as a buffer.
  cdr::DiscInfo disc;
  cdr::ParseDriveToc(data, size, (sizeSeed & 1) != 0, disc, error);
  return 0;
}
