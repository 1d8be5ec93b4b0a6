#include "components/cddb/cddb_url.h"

namespace {

bool StartsWithNoCase(const std::wstring& s, const wchar_t* prefix, size_t& len) {
  len = 0;
  for (; prefix[len]; ++len) {
    if (len >= s.size()) return false;
    wchar_t c = s[len];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != prefix[len]) return false;
  }
  return true;
}

bool HostCharOk(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
         c == L'.' || c == L'_';
}

}  // namespace

bool CddbParseServerUrl(const std::wstring& url, CddbServerUrl& out, std::wstring& error) {
  out = CddbServerUrl();
  size_t n;
  size_t pos;
  if (StartsWithNoCase(url, L"http://", n)) {
    out.secure = false, out.port = 80, pos = n;
  } else if (StartsWithNoCase(url, L"https://", n)) {
    out.secure = true, out.port = 443, pos = n;
  } else {
    error = L"the CDDB server address must start with http:// or https://";
    return false;
  }
  const size_t slash = url.find(L'/', pos);
  const std::wstring authority =
      url.substr(pos, slash == std::wstring::npos ? std::wstring::npos : slash - pos);
  std::wstring path = slash == std::wstring::npos ? L"" : url.substr(slash);
  if (authority.find(L'@') != std::wstring::npos) {
    error = L"the CDDB server address must not carry a user name";
    return false;
  }
  std::wstring portText;
  if (!authority.empty() && authority[0] == L'[') {
    const size_t close = authority.find(L']');
    if (close == std::wstring::npos || close == 1) {
      error = L"the CDDB server address has a broken IPv6 host";
      return false;
    }
    out.host = authority.substr(1, close - 1);
    for (wchar_t c : out.host)
      if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F') || c == L':' ||
            c == L'.')) {
        error = L"the CDDB server address has a broken IPv6 host";
        return false;
      }
    const std::wstring after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != L':') {
        error = L"the CDDB server address has a broken IPv6 host";
        return false;
      }
      portText = after.substr(1);
      if (portText.empty()) portText = L"x";
    }
  } else {
    const size_t colon = authority.find(L':');
    out.host = authority.substr(0, colon);
    if (colon != std::wstring::npos) {
      portText = authority.substr(colon + 1);
      if (portText.empty()) portText = L"x";
    }
    for (wchar_t c : out.host)
      if (!HostCharOk(c)) {
        error = L"the CDDB server address has an invalid host name";
        return false;
      }
  }
  if (out.host.empty()) {
    error = L"the CDDB server address has no host";
    return false;
  }
  if (!portText.empty()) {
    if (portText.size() > 5) {
      error = L"the CDDB server address has an invalid port";
      return false;
    }
    unsigned long p = 0;
    for (wchar_t c : portText) {
      if (c < L'0' || c > L'9') {
        error = L"the CDDB server address has an invalid port";
        return false;
      }
      p = p * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (p == 0 || p > 65535) {
      error = L"the CDDB server address has an invalid port";
      return false;
    }
    out.port = static_cast<uint16_t>(p);
  }
  if (path.find_first_of(L"?#") != std::wstring::npos) {
    error = L"the CDDB server address must not carry a query or fragment";
    return false;
  }
  for (wchar_t c : path)
    if (c <= L' ' || c == 0x7F) {
      error = L"the CDDB server address contains blanks or control characters";
      return false;
    }
  out.path = path.empty() || path == L"/" ? L"/~cddb/cddb.cgi" : path;
  return true;
}
