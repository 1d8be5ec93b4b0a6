#pragma once
// Text rules of the listing and of registration by name: the modules never
// listed, fitting names into the table's module field, and the substitutes
// of particular programs. No Windows headers.

#include <cstddef>

// Executables never listed (case-insensitive).
constexpr int kListingExclusionCount = 16;
extern const char* const kListingExclusions[kListingExclusionCount];
bool IsListingExcluded(const char* module);

bool EqualsIgnoreCase(const char* a, const char* b);
// "unknown" or empty: no title known.
bool IsUnknownTitle(const char* title);
void ToUpperAscii(char* text);

// Part after the last backslash, or the whole text.
const char* AfterLastBackslash(const char* text);
// The text after the last "." equals "exe" ignoring case.
bool EndsWithExeExtension(const char* text);

// A module name fitted to the table's 16-byte field: cut to 15 characters.
// Returns false when the name had to be cut.
bool FitModuleName(char* out, std::size_t outSize, const char* name);

// Replaces the first occurrence of from by to in buf (bufSize bytes).
// False, buf unchanged, when from is absent or the result would not fit.
bool ReplaceFirst(char* buf, std::size_t bufSize, const char* from, const char* to);

// Cuts buf at the first occurrence of marker and appends tail. False, buf
// unchanged, when marker is absent or the result would not fit.
bool CutAndAppend(char* buf, std::size_t bufSize, const char* marker, const char* tail);

// A FileVersion text of the Word Pro release that must be left alone:
// beginning "97".
bool IsWordPro97Version(const char* fileVersion);
