#pragma once
// The argument format of by-name automation calls: one letter per argument,
// "&" in front of a letter makes it a reference. Pure logic, no <windows.h>.

#include <cstddef>
#include <cstdint>

struct OcrFormatItem {
  char letter;
  bool byRef;
};

constexpr uint16_t kOcrVtByRef = 0x4000;

// Variant type of a format letter, 0 when the letter is not an item.
uint16_t OcrFormatVariantType(char letter);

// Reads the item at format[*pos] and advances *pos past it. False at the end
// of the text or at the first character that does not start a valid item.
bool OcrReadFormatItem(const char* format, size_t* pos, OcrFormatItem* item);

// Number of items before the end or the first invalid character; 0 for null.
int OcrCountFormatItems(const char* format);
