#include "components/cddb/cddb_xmcd.h"

#include <map>
#include <vector>

#include "components/cddb/cddb_discid.h"
#include "components/cddb/cddb_response.h"
#include "components/cddb/cddb_text.h"

namespace {

// Track index of "TTITLEn"; -1 if the key is not one, or beyond a CD's 99.
int TrackIndex(std::string_view key) {
  constexpr std::string_view kPrefix = "TTITLE";
  if (key.size() <= kPrefix.size() || key.substr(0, kPrefix.size()) != kPrefix) return -1;
  const std::string_view digits = key.substr(kPrefix.size());
  if (digits.size() > 3) return -1;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n < static_cast<int>(kCddbMaxTracks) ? n : -1;
}

}  // namespace

std::string CddbUnescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      const char n = value[i + 1];
      if (n == 'n' || n == 't' || n == '\\') {
        out.push_back(n == 'n' ? '\n' : n == 't' ? '\t' : '\\');
        ++i;
        continue;
      }
    }
    out.push_back(value[i]);
  }
  return out;
}

void CddbSplitDiscTitle(const std::wstring& dtitle, std::wstring& artist, std::wstring& album) {
  const size_t sep = dtitle.find(L" / ");
  if (sep == std::wstring::npos) {
    artist = album = dtitle;
    return;
  }
  artist = dtitle.substr(0, sep);
  album = dtitle.substr(sep + 3);
}

bool CddbParseXmcd(std::string_view record, CddbEntry& entry, std::string& error) {
  // Raw values first: an escape may straddle two continuation lines.
  std::string dtitle, dyear, dgenre, extd, discId;
  std::map<int, std::string> tracks;
  bool sawDtitle = false;
  for (std::string_view line : CddbSplitLines(record, 200000)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) continue;
    const std::string_view key = line.substr(0, eq);
    const std::string_view value = line.substr(eq + 1);
    if (key == "DTITLE") {
      dtitle.append(value);
      sawDtitle = true;
    } else if (key == "DYEAR") {
      dyear.append(value);
    } else if (key == "DGENRE") {
      dgenre.append(value);
    } else if (key == "EXTD") {
      extd.append(value);
    } else if (key == "DISCID") {
      if (discId.empty()) discId = std::string(value.substr(0, 8));
    } else {
      const int t = TrackIndex(key);
      if (t >= 0) tracks[t].append(value);
    }
  }
  if (!sawDtitle && tracks.empty()) {
    error = "the disc record holds no titles";
    return false;
  }
  entry.discTitle = CddbDecodeText(CddbUnescape(dtitle));
  CddbSplitDiscTitle(entry.discTitle, entry.artist, entry.album);
  entry.year = CddbDecodeText(CddbUnescape(dyear));
  entry.genre = CddbDecodeText(CddbUnescape(dgenre));
  entry.extended = CddbDecodeText(CddbUnescape(extd));
  if (entry.discId.empty()) entry.discId = discId;
  entry.trackTitles.clear();
  if (!tracks.empty()) {
    entry.trackTitles.resize(static_cast<size_t>(tracks.rbegin()->first) + 1);
    for (auto& [t, v] : tracks) entry.trackTitles[static_cast<size_t>(t)] = CddbDecodeText(CddbUnescape(v));
  }
  return true;
}
