#include "ripper/engine/track_tags.h"

namespace {
CddbDiscDetails g_disc;
}

void SetCddbDiscDetails(const CddbDiscDetails& details) { g_disc = details; }
void ClearCddbDiscDetails() { g_disc = CddbDiscDetails(); }
const CddbDiscDetails& CurrentCddbDiscDetails() { return g_disc; }

Mp3Tags TrackTags(int track, int trackCount, bool useCddb, const std::wstring& title,
                  const CddbDiscDetails& disc) {
  Mp3Tags t;
  t.track = track;
  t.trackCount = trackCount >= track ? trackCount : 0;
  if (!useCddb) return t;
  t.title = title;  // unchanged: the tag holds what the file name could not
  t.artist = disc.artist;
  t.album = disc.album;
  t.year = disc.year;
  t.genre = disc.genre;
  return t;
}
