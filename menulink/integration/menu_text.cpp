#include "menulink/integration/menu_text.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Cuts text at the first occurrence of c and trims the blanks before it.
void CutAt(char* text, char c) {
  char* hit = std::strchr(text, c);
  if (!hit) return;
  *hit = '\0';
  while (hit > text && IsBlank(hit[-1])) *--hit = '\0';
}

// Copies in without "&" into out, bounded by outSize.
void CopyWithoutAmpersands(char* out, std::size_t outSize, const char* in) {
  std::size_t n = 0;
  for (const char* p = in ? in : ""; *p && n + 1 < outSize; ++p)
    if (*p != '&') out[n++] = *p;
  out[n] = '\0';
}

}  // namespace

void NormaliseMenuText(char* out, std::size_t outSize, const char* in) {
  if (outSize == 0) return;
  CopyWithoutAmpersands(out, outSize, in);
  CutAt(out, '\t');
  CutAt(out, '\b');
}

void NormaliseCommandText(char* out, std::size_t outSize, const char* in) {
  if (outSize == 0) return;
  CopyWithoutAmpersands(out, outSize, in);
  CutAt(out, '\t');
}

char* StripChar(char* out, const char* in, char c) {
  char* o = out;
  for (; *in; ++in)
    if (*in != c) *o++ = *in;
  *o = '\0';
  return out;
}

bool EqualsNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return false;
  return *a == *b;
}

bool ContainsText(const char* haystack, const char* needle) {
  return std::strstr(haystack, needle) != nullptr;
}

void CommandIdMapClear(std::uint8_t* map) { std::memset(map, 0, kCommandIdMapBytes); }

void CommandIdMapMark(std::uint8_t* map, std::uint32_t id) {
  if (id < kCommandIdCount) map[id / 8] |= static_cast<std::uint8_t>(0x80u >> (id % 8));
}

bool CommandIdMapTest(const std::uint8_t* map, std::uint32_t id) {
  return id < kCommandIdCount && (map[id / 8] & (0x80u >> (id % 8))) != 0;
}

std::uint32_t CommandIdMapTake(std::uint8_t* map) {
  for (std::uint32_t n = kFirstItemId; n <= kLastItemId; ++n) {
    if (!CommandIdMapTest(map, n)) {
      CommandIdMapMark(map, n);
      return n;
    }
  }
  return 0;
}

void ModuleNameFromPath(char* out, std::size_t outSize, const char* path) {
  if (outSize == 0) return;
  const char* name = path ? path : "";
  if (const char* slash = std::strrchr(name, '\\'))
    name = slash + 1;
  else if (const char* colon = std::strchr(name, ':'))
    name = colon + 1;
  std::size_t n = 0;
  for (; name[n] && n + 1 < outSize; ++n) out[n] = name[n];
  out[n] = '\0';
}

const char* const kExcludedModules[kExcludedModuleCount] = {
    "progman.exe",  "explorer.exe", "dbwin.exe",    "editpro.exe",  "winfile.exe",  "ndw.exe",
    "pbrush.exe",   "winhelp.exe",  "winhlp32.exe", "wsapi.dll",    "lxlite.exe",   "lexora.exe",
    "paprport.exe", "ntvdm.exe",    "ole32.dll",    "exchng32.exe", "iexplore.exe",
};

bool IsExcludedModule(const char* moduleName) {
  for (const char* excluded : kExcludedModules)
    if (EqualsNoCase(moduleName, excluded)) return true;
  return false;
}
