#include "menulink/registry/record_text.h"

#include <cstdio>
#include <cstring>

bool CopyBounded(char* dst, std::size_t dstSize, const char* src) {
  if (dstSize == 0 || dst == nullptr) return false;
  if (src == nullptr) {
    dst[0] = '\0';
    return true;
  }
  std::size_t n = 0;
  while (n + 1 < dstSize && src[n] != '\0') {
    dst[n] = src[n];
    ++n;
  }
  dst[n] = '\0';
  return src[n] == '\0';
}

char* NextField(char* text, char separator, char** rest) {
  char* p = text;
  while (*p == ' ' || *p == separator) ++p;
  if (*p == '\0') {
    if (rest) *rest = p;
    return nullptr;
  }
  char* start = p;
  while (*p != '\0' && *p != separator) ++p;
  char* end = p;
  if (rest) *rest = (*p != '\0') ? p + 1 : p;
  while (end > start && end[-1] == ' ') --end;
  *end = '\0';
  return start;
}

void FormatRecordText(const AppRecord& rec, char* buf, std::size_t size) {
  if (size == 0) return;
  int n = std::snprintf(buf, size, "%.*s, %.*s, %.*s", (int)strnlen(rec.module, sizeof rec.module),
                        rec.module, (int)strnlen(rec.path, sizeof rec.path), rec.path,
                        (int)strnlen(rec.title, sizeof rec.title), rec.title);
  if (n < 0) buf[0] = '\0';
}

namespace {
// A field cut to its slot may end in a blank that the tokenizer would have
// trimmed; trim it too, so that a stored record reads back the same.
void CopyField(char* dst, std::size_t dstSize, const char* src) {
  if (CopyBounded(dst, dstSize, src)) return;
  std::size_t n = std::strlen(dst);
  while (n > 0 && dst[n - 1] == ' ') dst[--n] = '\0';
}
}  // namespace

void ParseRecordText(const char* text, AppRecord& rec) {
  char work[kRecordTextSize];
  CopyBounded(work, sizeof work, text);
  rec.enabled = 1;
  rec.path[0] = '\0';
  char* rest = work;
  char* field = NextField(rest, ',', &rest);
  if (!field) return;
  CopyField(rec.module, sizeof rec.module, field);
  field = NextField(rest, ',', &rest);
  if (!field) return;
  CopyField(rec.path, sizeof rec.path, field);
  field = NextField(rest, ',', &rest);
  if (!field) return;
  CopyField(rec.title, sizeof rec.title, field);
}

void ApplyTitleRule(char* text, std::size_t size) {
  if (size == 0) return;
  text[size - 1] = '\0';
  if (std::strstr(text, "WordPad")) {
    CopyBounded(text, size, "WordPad");
    return;
  }
  if (std::strstr(text, "Notepad")) {
    CopyBounded(text, size, "Notepad");
    return;
  }
  for (std::size_t i = 1; text[i] != '\0'; ++i) {
    if (text[i] == '-' && text[i - 1] == ' ' && text[i + 1] == ' ') {
      text[i - 1] = '\0';
      return;
    }
  }
}
