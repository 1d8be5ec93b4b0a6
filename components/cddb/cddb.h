// Creates the CDDB client. It identifies the disc in the reader's selected
// drive; serverUrl is the cddb.cgi address (empty: the public default).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "components/cddb/cddb_entry.h"
#include "ripper/engine/cd_reader.h"
#include "ripper/engine/cddb_client.h"

std::unique_ptr<CddbClient> CreateCddbClient(CdReader& reader, const std::wstring& serverUrl);

struct CddbOptions {
  std::wstring serverUrl;      // empty: the public default
  uint32_t timeoutMs = 20000;  // the whole lookup, enforced by the client itself
};
std::unique_ptr<CddbClient> CreateCddbClient(CdReader& reader, const CddbOptions& options);

// The whole record of the last successful lookup (artist, album, year,
// genre, titles); false when the client is not ours or has none.
bool CddbLastEntry(CddbClient& client, CddbEntry& entry);
