// The freedb disc ID and the query command built from a disc's TOC.
#pragma once
#include <cstdint>
#include <string>

#include "ripper/engine/cd_reader.h"

// Frames before LBA 0 (two seconds): CDDB counts offsets from the lead-in.
constexpr uint32_t kCddbLeadInFrames = 150;
constexpr uint32_t kCddbFramesPerSecond = 75;
constexpr size_t kCddbMaxTracks = 99;

// Sum of the decimal digits of n.
uint32_t CddbDigitSum(uint32_t n);

// 1..99 tracks, strictly increasing starts, lead-out after the last start,
// nothing near overflow. why says what is wrong.
bool CddbTocUsable(const DiscToc& toc, std::string& why);

// The 32-bit disc ID; the TOC must be usable.
uint32_t CddbDiscId(const DiscToc& toc);
std::string CddbDiscIdHex(uint32_t id);  // 8 lower-case hex digits

// "cddb query <id> <n> <offset>... <seconds>": absolute frame offsets and
// the lead-out in seconds, both counted with the lead-in.
std::string CddbQueryCommand(const DiscToc& toc);

// The disc track (1-based, as the record's titles count) of the reader's
// listed track n; 0 when there is none. Data tracks have titles in a record
// too, so a disc that starts with one shifts its audio titles by one.
int CddbRecordTrack(const DiscToc& toc, int listed);
