// The stand-in server's control script parser on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/ocrserver/server_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  ServerScript s;
  s.Parse(text);
  for (int i = 0; i < 3; ++i) s.NextAnswer("IsAppBusy");
  std::string out;
  s.Out("GetEngineVersion", 1, &out);
  int32_t v;
  ParseScriptInt(text, &v);
  return 0;
}
