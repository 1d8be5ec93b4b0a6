#include "components/cddb/cddb_lookup.h"

#include "components/cddb/cddb_discid.h"
#include "components/cddb/cddb_response.h"
#include "components/cddb/cddb_text.h"
#include "components/cddb/cddb_xmcd.h"

namespace {

std::wstring ServerSaid(const wchar_t* what, int code, const std::string& message) {
  std::wstring s = what;
  s += L" (" + std::to_wstring(code);
  if (!message.empty()) s += L" " + CddbDecodeText(message.substr(0, 200));
  s += L")";
  return s;
}

}  // namespace

std::string CddbHelloField(std::string_view text) {
  std::string f;
  for (char c : text) {
    if (c == ' ' || c == '+' || c == '\t' || c == '\r' || c == '\n' || c == '\0')
      f.push_back('_');
    else
      f.push_back(c);
  }
  if (f.empty()) f = "unknown";
  return f;
}

std::string CddbRequest(const std::string& command, const CddbHello& hello) {
  const std::string h = CddbHelloField(hello.user) + " " + CddbHelloField(hello.host) + " " +
                        CddbHelloField(hello.client) + " " + CddbHelloField(hello.version);
  return "cmd=" + CddbFormEncode(command) + "&hello=" + CddbFormEncode(h) + "&proto=6";
}

CddbLookupResult CddbLookup(const DiscToc& toc, const CddbHello& hello, const CddbTransport& send) {
  CddbLookupResult r;
  std::string why;
  if (!CddbTocUsable(toc, why)) {
    r.error = L"The disc cannot be identified: " + CddbDecodeText(why) + L".";
    return r;
  }
  std::string body;
  std::wstring err;
  if (!send(CddbRequest(CddbQueryCommand(toc), hello), body, err)) {
    r.error = err;
    return r;
  }
  const CddbQueryResult q = CddbParseQueryResponse(body);
  switch (q.status) {
    case CddbQueryStatus::NoMatch:
      r.error = L"The disc was not found in the CDDB database.";
      return r;
    case CddbQueryStatus::Refused:
      r.error = ServerSaid(L"The CDDB server refused the query", q.code, q.message);
      return r;
    case CddbQueryStatus::Malformed:
      r.error = L"The CDDB server gave an answer that cannot be read (" + CddbDecodeText(q.message) + L").";
      return r;
    default:
      break;
  }
  r.queryCode = q.code;
  r.matchCount = q.matches.size();
  const CddbMatch& m = q.matches.front();
  body.clear();
  if (!send(CddbRequest("cddb read " + m.category + " " + m.discId, hello), body, err)) {
    r.error = err;
    return r;
  }
  const CddbReadResult rd = CddbParseReadResponse(body);
  if (!rd.ok) {
    r.error =
        rd.malformed
            ? L"The CDDB server gave an answer that cannot be read (" + CddbDecodeText(rd.message) + L")."
            : ServerSaid(L"The CDDB server could not deliver the disc record", rd.code, rd.message);
    return r;
  }
  std::string perr;
  CddbEntry e;
  e.category = m.category;
  e.discId = m.discId;
  if (!CddbParseXmcd(rd.record, e, perr)) {
    r.error = L"The CDDB disc record cannot be used: " + CddbDecodeText(perr) + L".";
    return r;
  }
  if (e.discTitle.empty() && !m.title.empty()) {
    e.discTitle = CddbDecodeText(m.title);
    CddbSplitDiscTitle(e.discTitle, e.artist, e.album);
  }
  r.entry = std::move(e);
  r.ok = true;
  return r;
}
