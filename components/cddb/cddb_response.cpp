#include "components/cddb/cddb_response.h"

namespace {

constexpr size_t kMaxLines = 20000;
constexpr size_t kMaxMatches = 100;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "NNN text": code and text; false when the line does not start that way.
bool StatusLine(std::string_view line, int& code, std::string_view& text) {
  if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return false;
  if (line.size() > 3 && line[3] != ' ' && line[3] != '\t') return false;
  code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
  text = line.size() > 4 ? line.substr(4) : std::string_view();
  return true;
}

// Splits off the next blank-separated word.
std::string_view NextWord(std::string_view& rest) {
  size_t b = 0;
  while (b < rest.size() && (rest[b] == ' ' || rest[b] == '\t')) ++b;
  size_t e = b;
  while (e < rest.size() && rest[e] != ' ' && rest[e] != '\t') ++e;
  std::string_view w = rest.substr(b, e - b);
  size_t after = e;
  if (after < rest.size()) ++after;  // one separator
  rest = rest.substr(after);
  return w;
}

bool IsHexId(std::string_view w) {
  if (w.size() != 8) return false;
  for (char c : w)
    if (!IsDigit(c) && !((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

// Category names are plain words; anything else would smuggle text into
// the read command.
bool IsCategory(std::string_view w) {
  if (w.empty() || w.size() > 64) return false;
  for (char c : w) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

bool ParseMatch(std::string_view text, CddbMatch& m) {
  std::string_view rest = text;
  const std::string_view cat = NextWord(rest);
  const std::string_view id = NextWord(rest);
  if (!IsCategory(cat) || !IsHexId(id)) return false;
  m.category = std::string(cat);
  m.discId = std::string(id);
  m.title = std::string(rest);
  return true;
}

}  // namespace

std::vector<std::string_view> CddbSplitLines(std::string_view body, size_t maxLines) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < body.size() && lines.size() < maxLines) {
    size_t nl = body.find('\n', pos);
    const size_t end = nl == std::string_view::npos ? body.size() : nl;
    std::string_view line = body.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = nl == std::string_view::npos ? body.size() : nl + 1;
  }
  return lines;
}

CddbQueryResult CddbParseQueryResponse(std::string_view body) {
  CddbQueryResult r;
  const auto lines = CddbSplitLines(body, kMaxLines);
  std::string_view text;
  if (lines.empty() || !StatusLine(lines[0], r.code, text)) {
    r.message = "not a CDDB answer";
    return r;
  }
  r.message = std::string(text);
  if (r.code >= 400 && r.code <= 599) {
    r.status = CddbQueryStatus::Refused;
    return r;
  }
  switch (r.code) {
    case 200: {
      CddbMatch m;
      if (!ParseMatch(text, m)) {
        r.message = "unreadable match line";
        return r;
      }
      r.matches.push_back(std::move(m));
      r.status = CddbQueryStatus::Exact;
      return r;
    }
    case 202:
      r.status = CddbQueryStatus::NoMatch;
      return r;
    case 210:
    case 211: {
      bool terminated = false;
      for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == ".") {
          terminated = true;
          break;
        }
        CddbMatch m;
        if (ParseMatch(lines[i], m) && r.matches.size() < kMaxMatches) r.matches.push_back(std::move(m));
      }
      if (!terminated) {
        r.matches.clear();
        r.message = "the list of matches was cut short";
        return r;
      }
      if (r.matches.empty()) {
        // An empty list is no match at all.
        r.status = CddbQueryStatus::NoMatch;
        return r;
      }
      r.status = r.code == 210 ? CddbQueryStatus::Multiple : CddbQueryStatus::Inexact;
      return r;
    }
    default:
      r.message = "unexpected answer " + std::to_string(r.code);
      return r;
  }
}

CddbReadResult CddbParseReadResponse(std::string_view body) {
  CddbReadResult r;
  const auto lines = CddbSplitLines(body, kMaxLines * 5);
  std::string_view text;
  if (lines.empty() || !StatusLine(lines[0], r.code, text)) {
    r.malformed = true;
    r.message = "not a CDDB answer";
    return r;
  }
  r.message = std::string(text);
  if (r.code != 210) {
    r.malformed = !(r.code >= 400 && r.code <= 599);
    if (r.malformed) r.message = "unexpected answer " + std::to_string(r.code);
    return r;
  }
  std::string_view rest = text;
  const std::string_view cat = NextWord(rest);
  const std::string_view id = NextWord(rest);
  if (IsCategory(cat) && IsHexId(id)) {
    r.category = std::string(cat);
    r.discId = std::string(id);
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i] == ".") {
      r.ok = true;
      return r;
    }
    r.record.append(lines[i]);
    r.record.push_back('\n');
  }
  r.record.clear();
  r.malformed = true;
  r.message = "the disc record was cut short";
  return r;
}
