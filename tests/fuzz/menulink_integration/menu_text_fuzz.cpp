// Item texts come from other programs' menus: any bytes, any length.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "menulink/integration/menu_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);  // NUL-terminated copy
  size_t outSize = size ? data[0] % 70 : 0;
  char* out = new char[outSize ? outSize : 1];
  NormaliseMenuText(out, outSize, text.c_str());
  if (outSize && std::strlen(out) >= outSize) __builtin_trap();
  NormaliseCommandText(out, outSize, text.c_str());
  delete[] out;

  char name[16];
  ModuleNameFromPath(name, sizeof name, text.c_str());
  if (std::strlen(name) >= sizeof name) __builtin_trap();
  IsExcludedModule(name);
  std::string stripped(text.size() + 1, '\0');
  StripChar(stripped.data(), text.c_str(), size ? static_cast<char>(data[size - 1]) : '&');
  return 0;
}
