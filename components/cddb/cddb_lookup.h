// One disc lookup: "cddb query", choice of a match, "cddb read", record.
// Pure: the HTTP exchange is passed in.
#pragma once
#include <functional>
#include <string>

#include "components/cddb/cddb_entry.h"
#include "ripper/engine/cd_reader.h"

struct CddbHello {
  std::string user, host, client, version;  // UTF-8
};

// Sends the form-encoded request (cmd=...&hello=...&proto=6) and returns
// the answer body; false with error when the exchange itself failed.
using CddbTransport = std::function<bool(const std::string& request, std::string& body, std::wstring& error)>;

struct CddbLookupResult {
  bool ok = false;
  std::wstring error;  // for the user, when !ok
  CddbEntry entry;
  int queryCode = 0;      // 200, 210 or 211 on success
  size_t matchCount = 0;  // the first match is taken when there are several
};

// One field of the hello: blanks and '+' would split it, so they become '_'.
std::string CddbHelloField(std::string_view text);

// The request for one command, proto 6 (UTF-8).
std::string CddbRequest(const std::string& command, const CddbHello& hello);

CddbLookupResult CddbLookup(const DiscToc& toc, const CddbHello& hello, const CddbTransport& send);
