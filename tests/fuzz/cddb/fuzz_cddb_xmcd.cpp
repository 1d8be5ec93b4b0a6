// xmcd records, text decoding and server addresses.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/cddb/cddb_text.h"
#include "components/cddb/cddb_url.h"
#include "components/cddb/cddb_xmcd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  CddbEntry e;
  std::string err;
  if (CddbParseXmcd(in, e, err)) {
    if (e.trackTitles.size() > 99) std::abort();
  } else if (err.empty()) {
    std::abort();
  }
  // Valid UTF-8 survives a round trip unchanged.
  const std::wstring w = CddbDecodeText(in);
  if (CddbIsValidUtf8(in) && in.find('\0') == std::string::npos && CddbToUtf8(w) != in) std::abort();
  if (w.find(L'\0') != std::wstring::npos) std::abort();

  CddbServerUrl u;
  std::wstring uerr;
  if (CddbParseServerUrl(w, u, uerr)) {
    if (u.host.empty() || u.port == 0 || u.path.empty() || u.path[0] != L'/') std::abort();
  } else if (uerr.empty()) {
    std::abort();
  }
  return 0;
}
