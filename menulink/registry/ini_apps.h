#pragma once
// Entries of section "Glyphtap_Apps" of "lx70.ini", written by the 16-bit
// companion: "module,title,flag". No Windows headers.

#include <cstddef>

constexpr const char* kWin3xSuffix = " (Win3.x App)";

// The name to list (title + " (Win3.x App)", or the module alone when the
// title is "unknown") into name (nameSize bytes, cut to fit) and the flag
// at the start of the rest; -1 when the text lacks either comma.
int ParseIniAppEntry(const char* text, char* name, std::size_t nameSize);
