#include "components/cdreader/disc_toc.h"

namespace cdr {

uint32_t MsfToLba(const Msf& msf) {
  uint32_t abs = (msf.minute * 60 + msf.second) * kFramesPerSecond + msf.frame;
  return abs < kLeadInFrames ? 0 : abs - kLeadInFrames;
}

Msf LbaToMsf(uint32_t lba) {
  uint32_t abs = lba + kLeadInFrames;
  Msf m;
  m.frame = abs % kFramesPerSecond;
  m.second = (abs / kFramesPerSecond) % 60;
  m.minute = abs / (kFramesPerSecond * 60);
  return m;
}

int32_t FramesToMs(uint32_t frames) {
  return static_cast<int32_t>(static_cast<uint64_t>(frames) * 1000 / kFramesPerSecond);
}

int DiscInfo::AudioCount() const {
  int n = 0;
  for (const auto& t : tracks) n += t.audio ? 1 : 0;
  return n;
}

const DiscTrack* DiscInfo::Audio(int index) const {
  if (index < 1) return nullptr;
  for (const auto& t : tracks) {
    if (t.audio && --index == 0) return &t;
  }
  return nullptr;
}

DiscToc IdentificationToc(const DiscInfo& disc) {
  DiscToc toc;
  for (const DiscTrack& t : disc.tracks) {
    toc.trackStartLba.push_back(t.startLba);
    if (t.audio) toc.listedTracks.push_back(int(toc.trackStartLba.size()));
  }
  toc.leadOutLba = disc.leadOutLba;
  return toc;
}

namespace {

uint32_t Address(const uint8_t* a, bool msf) {
  if (msf) return MsfToLba(Msf{a[1], a[2], a[3]});
  return (uint32_t(a[0]) << 24) | (uint32_t(a[1]) << 16) | (uint32_t(a[2]) << 8) | a[3];
}

}  // namespace

bool ParseDriveToc(const uint8_t* data, size_t size, bool msf, DiscInfo& disc, std::wstring& error) {
  disc = DiscInfo{};
  if (!data || size < 4) {
    error = L"The drive returned no table of contents";
    return false;
  }
  // The length field excludes itself.
  size_t declared = (size_t(data[0]) << 8 | data[1]) + 2;
  size_t usable = declared < size ? declared : size;
  if (usable < 4 || (usable - 4) / 8 < 2) {
    error = L"The disc has no tracks";
    return false;
  }
  size_t count = (usable - 4) / 8;
  bool haveLeadOut = false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* d = data + 4 + i * 8;
    uint8_t control = d[1] & 0x0F;
    uint8_t number = d[2];
    uint32_t lba = Address(d + 4, msf);
    if (number == 0xAA) {
      disc.leadOutLba = lba;
      haveLeadOut = true;
      break;
    }
    if (number < 1 || number > 99) {
      error = L"The table of contents holds an invalid track number";
      return false;
    }
    DiscTrack t;
    t.number = number;
    t.audio = (control & 0x04) == 0;
    t.startLba = lba;
    if (!disc.tracks.empty() && lba < disc.tracks.back().startLba) {
      error = L"The table of contents is out of order";
      return false;
    }
    disc.tracks.push_back(t);
  }
  if (!haveLeadOut || disc.tracks.empty() || disc.leadOutLba < disc.tracks.back().startLba) {
    error = L"The table of contents has no valid lead-out";
    disc = DiscInfo{};
    return false;
  }
  for (size_t i = 0; i < disc.tracks.size(); ++i) {
    DiscTrack& t = disc.tracks[i];
    if (i + 1 == disc.tracks.size()) {
      t.endLba = disc.leadOutLba;
      continue;
    }
    const DiscTrack& next = disc.tracks[i + 1];
    t.endLba = next.startLba;
    if (t.audio && !next.audio && next.startLba - t.startLba > kSessionGapFrames)
      t.endLba = next.startLba - kSessionGapFrames;
  }
  return true;
}

}  // namespace cdr
