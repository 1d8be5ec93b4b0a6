// Parsing of the CDDB server's answers to "cddb query" and "cddb read".
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Lines of an answer with CR LF or LF endings, the last line unterminated
// or not. Stops after maxLines.
std::vector<std::string_view> CddbSplitLines(std::string_view body, size_t maxLines);

struct CddbMatch {
  std::string category;
  std::string discId;
  std::string title;  // UTF-8, "Artist / Album"
};

enum class CddbQueryStatus {
  Exact,      // 200: one match
  Multiple,   // 210: several exact matches
  Inexact,    // 211: close matches
  NoMatch,    // 202
  Refused,    // any 4xx or 5xx
  Malformed,  // not a CDDB answer, or cut short
};

struct CddbQueryResult {
  CddbQueryStatus status = CddbQueryStatus::Malformed;
  int code = 0;                    // the three-digit code, 0 if none
  std::string message;             // status line text after the code (for errors)
  std::vector<CddbMatch> matches;  // in the server's order
};

CddbQueryResult CddbParseQueryResponse(std::string_view body);

struct CddbReadResult {
  bool ok = false;
  bool malformed = false;  // not a CDDB answer, or cut short
  int code = 0;
  std::string message;
  std::string category, discId;  // from the 210 status line
  std::string record;            // the xmcd lines, LF-terminated
};

CddbReadResult CddbParseReadResponse(std::string_view body);
