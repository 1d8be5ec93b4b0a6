// The disc ID against a second, independent reading of the published
// algorithm: positions in minutes and seconds, as the original code keeps
// its TOC, instead of frame counts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "components/cddb/cddb_discid.h"

namespace {

struct Msf {
  int min, sec;
};

Msf ToMsf(uint32_t lba) {
  const uint32_t f = lba + 150;
  return {static_cast<int>(f / 75 / 60), static_cast<int>(f / 75 % 60)};
}

int SumDigits(int n) {
  int r = 0;
  while (n > 0) r += n % 10, n /= 10;
  return r;
}

uint32_t Reference(const DiscToc& toc) {
  const int n = static_cast<int>(toc.trackStartLba.size());
  int sum = 0;
  for (uint32_t lba : toc.trackStartLba) {
    const Msf m = ToMsf(lba);
    sum += SumDigits(m.min * 60 + m.sec);
  }
  const Msf first = ToMsf(toc.trackStartLba[0]);
  const Msf end = ToMsf(toc.leadOutLba);
  const int t = (end.min * 60 + end.sec) - (first.min * 60 + first.sec);
  return (static_cast<uint32_t>(sum % 0xff) << 24) | (static_cast<uint32_t>(t) << 8) |
         static_cast<uint32_t>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Track lengths from 16-bit words, which keeps the TOC ordered.
  DiscToc toc;
  uint32_t lba = size > 0 ? data[0] : 0;
  size_t i = 1;
  for (; i + 1 < size && toc.trackStartLba.size() < 120; i += 2) {
    toc.trackStartLba.push_back(lba);
    lba += 1u + (static_cast<uint32_t>(data[i]) << 8 | data[i + 1]);
  }
  toc.leadOutLba = lba;
  std::string why;
  const bool usable = CddbTocUsable(toc, why);
  // Anything a real CD can hold (99 tracks, 100 minutes) must be usable.
  const bool cdSized =
      !toc.trackStartLba.empty() && toc.trackStartLba.size() <= 99 && toc.leadOutLba < 100 * 60 * 75;
  if (cdSized && !usable) std::abort();
  if (toc.trackStartLba.size() > 99 && usable) std::abort();
  if (!usable) return 0;
  const uint32_t id = CddbDiscId(toc);
  if (id != Reference(toc)) std::abort();
  if ((id & 0xFF) != toc.trackStartLba.size()) std::abort();
  const std::string cmd = CddbQueryCommand(toc);
  if (cmd.compare(0, 20, "cddb query " + CddbDiscIdHex(id) + " ") != 0) std::abort();
  return 0;
}
