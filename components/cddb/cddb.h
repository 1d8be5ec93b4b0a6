// Creates the CDDB client. It identifies the disc in the reader's selected
// drive; serverUrl is the cddb.cgi address (empty: the public default).
#pragma once
#include <memory>
#include <string>

#include "ripper/engine/cd_reader.h"
#include "ripper/engine/cddb_client.h"

std::unique_ptr<CddbClient> CreateCddbClient(CdReader& reader, const std::wstring& serverUrl);
