#include "ripper/engine/session_tags.h"

#include "ripper/engine/track_tags.h"

Mp3Tags SessionTrackTags(SessionHost& host, int track) {
  const bool useCddb = host.State().UseCddb == kVbTrue;
  std::wstring title;
  if (useCddb) {
    int16_t n = static_cast<int16_t>(track);
    title = host.Cddb().TrackTitle(n);
  }
  return TrackTags(track, host.TrackListCount(), useCddb, title, CurrentCddbDiscDetails());
}
