// Record texts come from the registry, which anyone can edit: parsing,
// formatting and re-parsing must stay inside every buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "menulink/registry/record_text.h"

namespace {
void CheckTerminated(const char* field, std::size_t size) {
  if (strnlen(field, size) >= size) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);

  AppRecord rec{};
  ParseRecordText(text.c_str(), rec);
  CheckTerminated(rec.module, sizeof rec.module);
  CheckTerminated(rec.path, sizeof rec.path);
  CheckTerminated(rec.title, sizeof rec.title);

  char stored[kRecordTextSize];
  FormatRecordText(rec, stored, sizeof stored);
  if (std::strlen(stored) >= sizeof stored) std::abort();

  // Fields without blanks, commas or cuts survive a store and a load.
  AppRecord again{};
  ParseRecordText(stored, again);
  if (rec.module[0] && rec.path[0] && rec.title[0] && std::strlen(stored) < kRecordTextSize - 1 &&
      std::strcmp(rec.module, again.module) != 0)
    std::abort();

  std::string copy = text;
  char* rest = copy.data();
  int fields = 0;
  while (char* f = NextField(rest, ',', &rest)) {
    if (f < copy.data() || f > copy.data() + copy.size()) std::abort();
    if (rest < copy.data() || rest > copy.data() + copy.size()) std::abort();
    if (++fields > (int)copy.size() + 1) std::abort();
  }

  char title[64];
  std::size_t n = size < sizeof title ? size : sizeof title - 1;
  std::memcpy(title, data, n);
  title[n] = '\0';
  ApplyTitleRule(title, sizeof title);
  CheckTerminated(title, sizeof title);
  return 0;
}
