#include "menulink/integration/ocr_format.h"

uint16_t OcrFormatVariantType(char letter) {
  switch (letter) {
    case 'i': return 2;    // VT_I2
    case 'I': return 3;    // VT_I4
    case 'r': return 4;    // VT_R4
    case 'R': return 5;    // VT_R8
    case 'c': return 6;    // VT_CY
    case 'd': return 7;    // VT_DATE
    case 's':
    case 'S': return 8;    // VT_BSTR
    case 'D': return 9;    // VT_DISPATCH
    case 'e': return 10;   // VT_ERROR
    case 'b': return 11;   // VT_BOOL
    case 'v': return 12;   // VT_VARIANT
    case 'U': return 13;   // VT_UNKNOWN
    case 'A': return 0x2000;  // VT_ARRAY
    default: return 0;
  }
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
