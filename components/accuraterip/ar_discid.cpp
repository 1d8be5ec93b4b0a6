#include "components/accuraterip/ar_discid.h"

#include <cstdio>

#include "components/cddb/cddb_discid.h"

bool ArComputeDiscIds(const DiscToc& toc, ArDiscIds& ids, std::string& why) {
  ids = ArDiscIds();
  if (!CddbTocUsable(toc, why)) return false;
  const auto& starts = toc.trackStartLba;
  std::vector<uint32_t> audio;
  if (toc.listedTracks.empty()) {
    audio = starts;
  } else {
    for (int pos : toc.listedTracks) {
      if (pos < 1 || static_cast<size_t>(pos) > starts.size()) {
        why = "the disc's audio tracks do not match its table of contents";
        return false;
      }
      audio.push_back(starts[static_cast<size_t>(pos) - 1]);
    }
  }
  if (audio.empty()) {
    why = "the disc has no audio tracks";
    return false;
  }
  // The lead-out is the disc's own, after a trailing data track too.
  const uint32_t leadOut = toc.leadOutLba;
  uint32_t id1 = 0, id2 = 0;
  uint32_t n = 0;
  for (uint32_t lsn : audio) {
    ++n;
    id1 += lsn;
    id2 += (lsn > 0 ? lsn : 1) * n;
  }
  id1 += leadOut;
  id2 += leadOut * (n + 1);
  ids.audioTracks = static_cast<int>(audio.size());
  ids.id1 = id1;
  ids.id2 = id2;
  ids.id3 = CddbDiscId(toc);
  return true;
}

std::string ArDiscName(const ArDiscIds& ids) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "dBAR-%03d-%08x-%08x-%08x", ids.audioTracks, static_cast<unsigned>(ids.id1),
                static_cast<unsigned>(ids.id2), static_cast<unsigned>(ids.id3));
  return buf;
}

std::string ArAnswerPath(const ArDiscIds& ids) {
  const char* hex = "0123456789abcdef";
  std::string path;
  path += hex[ids.id1 & 0xF];
  path += '/';
  path += hex[(ids.id1 >> 4) & 0xF];
  path += '/';
  path += hex[(ids.id1 >> 8) & 0xF];
  path += '/';
  path += ArDiscName(ids);
  path += ".bin";
  return path;
}

std::wstring ArAnswerObject(const std::wstring& serverUrl, const ArDiscIds& ids) {
  const size_t scheme = serverUrl.find(L"://");
  const size_t slash = serverUrl.find(L'/', scheme == std::wstring::npos ? 0 : scheme + 3);
  std::wstring object = slash == std::wstring::npos ? L"" : serverUrl.substr(slash);
  while (!object.empty() && object.back() == L'/') object.pop_back();
  object += L'/';
  for (char c : ArAnswerPath(ids)) object += static_cast<wchar_t>(c);
  return object;
}
