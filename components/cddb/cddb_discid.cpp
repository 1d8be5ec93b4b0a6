#include "components/cddb/cddb_discid.h"

#include <cstdio>

uint32_t CddbDigitSum(uint32_t n) {
  uint32_t sum = 0;
  for (; n > 0; n /= 10) sum += n % 10;
  return sum;
}

bool CddbTocUsable(const DiscToc& toc, std::string& why) {
  const auto& t = toc.trackStartLba;
  if (t.empty()) {
    why = "the disc has no audio tracks";
    return false;
  }
  if (t.size() > kCddbMaxTracks) {
    why = "the disc has more than 99 tracks";
    return false;
  }
  for (size_t i = 1; i < t.size(); ++i) {
    if (t[i] <= t[i - 1]) {
      why = "the track start addresses are not in order";
      return false;
    }
  }
  if (toc.leadOutLba <= t.back()) {
    why = "the lead-out lies before the last track";
    return false;
  }
  // A real disc is far below this; the bound keeps the arithmetic in range.
  if (toc.leadOutLba > 100u * 60u * kCddbFramesPerSecond * 10u) {
    why = "the disc is implausibly long";
    return false;
  }
  return true;
}

uint32_t CddbDiscId(const DiscToc& toc) {
  const auto& t = toc.trackStartLba;
  if (t.empty()) return 0;
  uint32_t n = 0;
  for (uint32_t lba : t) n += CddbDigitSum((lba + kCddbLeadInFrames) / kCddbFramesPerSecond);
  const uint32_t first = (t.front() + kCddbLeadInFrames) / kCddbFramesPerSecond;
  const uint32_t end = (toc.leadOutLba + kCddbLeadInFrames) / kCddbFramesPerSecond;
  const uint32_t len = end > first ? end - first : 0;
  return ((n % 0xFF) << 24) | (len << 8) | static_cast<uint32_t>(t.size() & 0xFF);
}

std::string CddbDiscIdHex(uint32_t id) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(id));
  return buf;
}

std::string CddbQueryCommand(const DiscToc& toc) {
  // Appended piece by piece: "x" + std::to_string() trips a GCC 12 warning.
  std::string cmd = "cddb query ";
  cmd += CddbDiscIdHex(CddbDiscId(toc));
  cmd += ' ';
  cmd += std::to_string(toc.trackStartLba.size());
  for (uint32_t lba : toc.trackStartLba) {
    cmd += ' ';
    cmd += std::to_string(lba + kCddbLeadInFrames);
  }
  cmd += ' ';
  cmd += std::to_string((toc.leadOutLba + kCddbLeadInFrames) / kCddbFramesPerSecond);
  return cmd;
}

int CddbRecordTrack(const DiscToc& toc, int listed) {
  if (listed < 1) return 0;
  if (toc.listedTracks.empty()) return listed <= static_cast<int>(toc.trackStartLba.size()) ? listed : 0;
  return static_cast<size_t>(listed) <= toc.listedTracks.size()
             ? toc.listedTracks[static_cast<size_t>(listed) - 1]
             : 0;
}
