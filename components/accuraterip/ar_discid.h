// The three IDs the AccurateRip database files a disc under, and the path
// of its answer file.
#pragma once
#include <cstdint>
#include <string>

#include "ripper/engine/cd_reader.h"

struct ArDiscIds {
  int audioTracks = 0;  // A
  uint32_t id1 = 0, id2 = 0, id3 = 0;
};

// Audio tracks are the reader's listed tracks (all when none are listed),
// numbered 1..A; data tracks count only in id3 (the CDDB disc ID) and
// through the disc's own lead-out. False with why when the TOC is unusable.
bool ArComputeDiscIds(const DiscToc& toc, ArDiscIds& ids, std::string& why);

// "dBAR-nnn-id1-id2-id3": A in three digits, the IDs in lower-case hex.
std::string ArDiscName(const ArDiscIds& ids);
// "a/b/c/dBAR-....bin", a..c the last three hex digits of id1, last first.
std::string ArAnswerPath(const ArDiscIds& ids);

constexpr wchar_t kArDefaultServer[] = L"http://www.accuraterip.com/accuraterip";

// The request path on the server for the disc: the server address's own
// path (none is none), then "/" and ArAnswerPath.
std::wstring ArAnswerObject(const std::wstring& serverUrl, const ArDiscIds& ids);
