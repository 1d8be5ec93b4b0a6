#include "menulink/registry/ini_apps.h"

#include <cstring>

#include "menulink/registry/module_names.h"
#include "menulink/registry/record_text.h"

int ParseIniAppEntry(const char* text, char* name, std::size_t nameSize) {
  if (name && nameSize) name[0] = '\0';
  if (!text) return -1;
  const char* first = std::strchr(text, ',');
  if (!first) return -1;
  const char* second = std::strchr(first + 1, ',');
  if (!second) return -1;

  // Work on copies of the two fields, each cut to a sane size.
  char module[256], title[256];
  std::size_t moduleLen = (std::size_t)(first - text);
  std::size_t titleLen = (std::size_t)(second - first - 1);
  if (moduleLen >= sizeof module) moduleLen = sizeof module - 1;
  if (titleLen >= sizeof title) titleLen = sizeof title - 1;
  std::memcpy(module, text, moduleLen);
  module[moduleLen] = '\0';
  std::memcpy(title, first + 1, titleLen);
  title[titleLen] = '\0';

  // Decimal number at the start of the rest, as atoi reads it, without
  // its overflow.
  const char* p = second + 1;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  long long flag = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    flag = flag * 10 + (*p - '0');
    if (flag > 0x7FFFFFFF) flag = 0x7FFFFFFF;
  }
  if (negative) flag = -flag;

  if (name && nameSize) {
    if (EqualsIgnoreCase(title, "unknown")) {
      CopyBounded(name, nameSize, module);
    } else {
      CopyBounded(name, nameSize, title);
      std::size_t n = std::strlen(name);
      CopyBounded(name + n, nameSize - n, kWin3xSuffix);
    }
  }
  return (int)flag;
}
