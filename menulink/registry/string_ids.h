#pragma once
// Base identifiers of the string table. The string of base B in language L
// has the identifier B + IDS_LANGUAGE_STRIDE * L. Plain macros: the resource
// script includes this file too.

#define IDS_LANGUAGE_STRIDE 2000

#define IDS_ALREADY_RUNNING 301
#define IDS_ACQUIRE_TEXT 302
#define IDS_NO_DOCUMENT 303
#define IDS_FILE 304
#define IDS_EXIT 305
#define IDS_EDIT 306
#define IDS_PASTE 307
#define IDS_CLOSE 308
#define IDS_GLYPHTAP 309
#define IDS_ACQUIRE_SETTINGS 310
#define IDS_ERR_TRANSFER 311
#define IDS_CANNOT_CLOSE 312
#define IDS_ERR_COMMUNICATE 313
#define IDS_ERR_LOAD_IMAGE 314
#define IDS_ERR_OPTIONS 315
#define IDS_ERR_OCR 316
#define IDS_ERR_REGISTER 317
#define IDS_ERR_UNREGISTER 318
#define IDS_ERR_REGISTRY 319
#define IDS_ERR_MEMORY 320
// English only; other languages show the English text.
#define IDS_ERR_WIDE_HOST 330
#define IDS_ERROR_CAPTION 321
#define IDS_ERR_ZONE 322
#define IDS_ERR_CHECK 324
// Second File menu name of language 15.
#define IDS_FILE_ALT_PT 30325

#ifndef RC_INVOKED
#include <cstdint>

// Selects a block of the string table, 0 to 17.
using LanguageIndex = int32_t;

constexpr LanguageIndex kLangEnglish = 0;
constexpr LanguageIndex kLangFrench = 1;
constexpr LanguageIndex kLangGerman = 2;
constexpr LanguageIndex kLangSpanish = 4;
constexpr LanguageIndex kLangItalian = 5;
constexpr LanguageIndex kLangDutch = 6;
constexpr LanguageIndex kLangSwedish = 8;
constexpr LanguageIndex kLangPortuguese = 15;

// The languages the table holds, in the order menu detection tries them.
constexpr LanguageIndex kTableLanguages[] = {0, 1, 2, 4, 5, 6, 8, 15};

constexpr bool LanguageHasStrings(LanguageIndex l) {
  for (LanguageIndex x : kTableLanguages)
    if (x == l) return true;
  return false;
}

constexpr int32_t StringId(int32_t base, LanguageIndex l) { return base + IDS_LANGUAGE_STRIDE * l; }
#endif
