// Entries of "Glyphtap_Apps" as the companion (or anyone editing
// lx70.ini) may have written them.
#include <cstdint>
#include <cstring>
#include <string>

#include "menulink/registry/ini_apps.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  char name[256];
  int flag = ParseIniAppEntry(text.c_str(), name, sizeof name);
  if (std::strlen(name) >= sizeof name) __builtin_trap();
  // Two commas make an entry; -1 then comes only from a flag written -1.
  const char* c = text.c_str();
  const char* first = std::strchr(c, ',');
  const char* second = first ? std::strchr(first + 1, ',') : nullptr;
  if (second) {
    const char* rest = second + 1;
    while (*rest == ' ' || *rest == '\t') ++rest;
    if (flag == -1 && *rest != '-') __builtin_trap();
  } else if (flag != -1) {
    __builtin_trap();
  }
  char tiny[3];
  ParseIniAppEntry(text.c_str(), tiny, sizeof tiny);
  return 0;
}
