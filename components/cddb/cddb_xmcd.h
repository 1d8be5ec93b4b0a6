// The xmcd disc record: KEY=value lines, a key repeated over several lines
// continues its value, values carry the escapes \n \t and \\.
#pragma once
#include <string>
#include <string_view>

#include "components/cddb/cddb_entry.h"

// Fills everything but category and discId (those come from the exchange;
// DISCID= is only used when discId is empty). False when the record holds
// neither a DTITLE nor any TTITLE.
bool CddbParseXmcd(std::string_view record, CddbEntry& entry, std::string& error);

// Resolves \n, \t and \\; any other backslash is kept as it stands.
std::string CddbUnescape(std::string_view value);

// "Artist / Album" split at the first " / "; without it both are the whole.
void CddbSplitDiscTitle(const std::wstring& dtitle, std::wstring& artist, std::wstring& album);
