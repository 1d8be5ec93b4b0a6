#include "menulink/integration/ocr_format.h"

namespace {
// Each format letter and the VARTYPE it stands for.
struct LetterType {
  char letter;
  uint16_t type;
};
constexpr LetterType kLetterTypes[] = {
    {'i', 2 /* VT_I2 */},       {'I', 3 /* VT_I4 */},         {'r', 4 /* VT_R4 */},
    {'R', 5 /* VT_R8 */},       {'c', 6 /* VT_CY */},         {'d', 7 /* VT_DATE */},
    {'s', 8 /* VT_BSTR */},     {'S', 8 /* VT_BSTR */},       {'D', 9 /* VT_DISPATCH */},
    {'e', 10 /* VT_ERROR */},   {'b', 11 /* VT_BOOL */},      {'v', 12 /* VT_VARIANT */},
    {'U', 13 /* VT_UNKNOWN */}, {'A', 0x2000 /* VT_ARRAY */},
};
}  // namespace

uint16_t OcrFormatVariantType(char letter) {
  for (const LetterType& t : kLetterTypes)
    if (t.letter == letter) return t.type;
  return 0;
}

bool OcrReadFormatItem(const char* format, size_t* pos, OcrFormatItem* item) {
  if (!format) return false;
  size_t p = *pos;
  bool byRef = false;
  if (format[p] == '&') {
    byRef = true;
    ++p;
  }
  char letter = format[p];
  if (letter == '\0' || OcrFormatVariantType(letter) == 0) return false;
  item->letter = letter;
  item->byRef = byRef;
  *pos = p + 1;
  return true;
}

int OcrCountFormatItems(const char* format) {
  size_t pos = 0;
  OcrFormatItem item;
  int n = 0;
  while (OcrReadFormatItem(format, &pos, &item)) ++n;
  return n;
}
