// The address of a cddb.cgi, as given by --cddb-server.
#pragma once
#include <cstdint>
#include <string>

constexpr wchar_t kCddbDefaultServer[] = L"http://gnudb.gnudb.org/~cddb/cddb.cgi";

struct CddbServerUrl {
  bool secure = false;  // https
  std::wstring host;    // without brackets for IPv6 literals
  uint16_t port = 80;
  std::wstring path;  // starts with '/'
};

// http:// or https://, a host, an optional port, an optional path (the
// default cddb.cgi path when empty). No user info, query or fragment.
bool CddbParseServerUrl(const std::wstring& url, CddbServerUrl& out, std::wstring& error);
