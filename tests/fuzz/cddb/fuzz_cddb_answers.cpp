// Server answers to query and read, alone and inside a whole lookup whose
// two answers are both taken from the input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "components/cddb/cddb_lookup.h"
#include "components/cddb/cddb_response.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const CddbQueryResult q = CddbParseQueryResponse(in);
  const bool listed = q.status == CddbQueryStatus::Exact || q.status == CddbQueryStatus::Multiple ||
                      q.status == CddbQueryStatus::Inexact;
  if (listed != !q.matches.empty()) std::abort();
  for (const auto& m : q.matches)
    if (m.discId.size() != 8 || m.category.empty() || m.category.find_first_of(" +&/") != std::string::npos)
      std::abort();
  const CddbReadResult r = CddbParseReadResponse(in);
  if (r.ok && r.malformed) std::abort();

  // First half answers the query, second half the read.
  const size_t half = size / 2;
  int calls = 0;
  DiscToc toc;
  toc.trackStartLba = {0, 15000, 30000};
  toc.leadOutLba = 45000;
  const CddbLookupResult res = CddbLookup(
      toc, CddbHello{"u", "h", "c", "1"}, [&](const std::string& req, std::string& body, std::wstring&) {
        // The read command carries only the category and ID the parser vetted.
        if (req.rfind("cmd=cddb+read+", 0) == 0) {
          const std::string cmd = req.substr(4, req.find('&') - 4);
          if (cmd.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+_-") !=
              std::string::npos)
            std::abort();
        }
        body = calls++ == 0 ? in.substr(0, half) : in.substr(half);
        return true;
      });
  if (res.ok == !res.error.empty()) std::abort();
  if (res.ok && res.entry.trackTitles.size() > 99) std::abort();
  return 0;
}
