// The database's answer file: one or more chunks, each a 13-byte header
// (u8 track count, u32 id1, id2, id3) and a 9-byte entry per track (u8
// confidence, u32 checksum, u32 sector-450 checksum), little-endian.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "components/accuraterip/ar_discid.h"
#include "ripper/engine/accuraterip_db.h"

constexpr size_t kArMaxAnswerBytes = 1 << 20;

// Every chunk must be whole and be for the disc asked about (its track
// count and IDs); otherwise false with one line for the user in error.
bool ArParseAnswer(const uint8_t* data, size_t size, const ArDiscIds& disc, std::vector<ArChunk>& chunks,
                   std::wstring& error);
