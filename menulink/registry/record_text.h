#pragma once
// Pure text rules of the application table: the stored record text, its
// tokenizer, the title rule and bounded copies. No Windows headers, so the
// native tests and fuzzers reach all of it.

#include <cstddef>

#include "menulink/registry/app_record.h"

// A stored record text is read into a buffer of this size.
constexpr std::size_t kRecordTextSize = 256;

// Copies src into dst (dstSize bytes) and always terminates; texts that do
// not fit are cut. Returns false when the text was cut. dstSize 0 writes
// nothing.
bool CopyBounded(char* dst, std::size_t dstSize, const char* src);

// Tokenizer of a record text, modified in place. Skips blanks and
// separators, so an empty field between two separators is not returned.
// Returns the next field (trailing blanks removed) or nullptr; *rest points
// after the field's separator, or at the terminating NUL.
char* NextField(char* text, char separator, char** rest);

// "%s, %s, %s" from module, path and title, cut to fit size (at most
// size - 1 characters). Reads each field only up to its own size, so an
// unterminated field in the shared table cannot run into its neighbours.
void FormatRecordText(const AppRecord& rec, char* buf, std::size_t size);

// Parses a record text into rec as a freshly loaded record: enabled 1, path
// empty, then module, path and title as far as fields are found; a missing
// field ends the parsing and leaves the later fields as they were. Fields
// longer than their slots are cut. text is copied first and not modified.
void ParseRecordText(const char* text, AppRecord& rec);

// The title rule applied to a window text in place (buffer of size bytes):
// any text containing "WordPad" becomes "WordPad", else any containing
// "Notepad" becomes "Notepad", else the text ends before the first hyphen
// that has a blank on each side and is not the first character.
void ApplyTitleRule(char* text, std::size_t size);
