#include "menulink/registry/module_names.h"

#include <cstring>

#include "menulink/registry/app_record.h"
#include "menulink/registry/record_text.h"

const char* const kListingExclusions[kListingExclusionCount] = {
    "progman.exe", "explorer.exe", "dbwin.exe",    "editpro.exe",  "winfile.exe", "ndw.exe",
    "pbrush.exe",  "winhelp.exe",  "winhlp32.exe", "lxlite.exe",   "lexora.exe",  "ntvdm.exe",
    "ole32.dll",   "paprport.exe", "exchng32.exe", "iexplore.exe",
};

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
}  // namespace

bool EqualsIgnoreCase(const char* a, const char* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b)
    if (Lower(*a) != Lower(*b)) return false;
  return *a == *b;
}

bool IsListingExcluded(const char* module) {
  for (const char* name : kListingExclusions)
    if (EqualsIgnoreCase(module, name)) return true;
  return false;
}

bool IsUnknownTitle(const char* title) { return !title || !*title || EqualsIgnoreCase(title, "unknown"); }

void ToUpperAscii(char* text) {
  for (; text && *text; ++text)
    if (*text >= 'a' && *text <= 'z') *text = (char)(*text - 'a' + 'A');
}

const char* AfterLastBackslash(const char* text) {
  const char* slash = std::strrchr(text, '\\');
  return slash ? slash + 1 : text;
}

bool EndsWithExeExtension(const char* text) {
  const char* dot = std::strrchr(text, '.');
  return dot && EqualsIgnoreCase(dot + 1, "exe");
}

bool FitModuleName(char* out, std::size_t outSize, const char* name) {
  std::size_t size = outSize < kModuleSize ? outSize : kModuleSize;
  return CopyBounded(out, size, name ? name : "");
}

bool ReplaceFirst(char* buf, std::size_t bufSize, const char* from, const char* to) {
  char* at = std::strstr(buf, from);
  if (!at) return false;
  std::size_t head = (std::size_t)(at - buf), fromLen = std::strlen(from), toLen = std::strlen(to);
  std::size_t tailLen = std::strlen(at + fromLen);
  if (head + toLen + tailLen + 1 > bufSize) return false;
  std::memmove(at + toLen, at + fromLen, tailLen + 1);
  std::memcpy(at, to, toLen);
  return true;
}

bool CutAndAppend(char* buf, std::size_t bufSize, const char* marker, const char* tail) {
  char* at = std::strstr(buf, marker);
  if (!at) return false;
  std::size_t head = (std::size_t)(at - buf), tailLen = std::strlen(tail);
  if (head + tailLen + 1 > bufSize) return false;
  std::memcpy(at, tail, tailLen + 1);
  return true;
}

bool IsWordPro97Version(const char* fileVersion) {
  return fileVersion && fileVersion[0] == '9' && fileVersion[1] == '7';
}
