// What the MP3 tags of a session say: the track number always, and while
// CDDB titles are in use the track title and the disc's artist, album,
// year and genre.
#pragma once
#include <string>

#include "ripper/engine/mp3_encoder.h"

struct CddbDiscDetails {
  std::wstring artist, album, year, genre;
};

// Kept from the accepted lookup until titles are switched off.
void SetCddbDiscDetails(const CddbDiscDetails& details);
void ClearCddbDiscDetails();
const CddbDiscDetails& CurrentCddbDiscDetails();

Mp3Tags TrackTags(int track, int trackCount, bool useCddb, const std::wstring& title,
                  const CddbDiscDetails& disc);
