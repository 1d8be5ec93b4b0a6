// MP3 file names built from CDDB track titles. A title comes from a server
// and may hold anything: separators, characters Windows refuses, device
// names, thousands of characters. The name built here is always one valid
// file name inside the output folder; every other character of the title
// is kept.
#pragma once
#include <cstddef>
#include <string>

// The title with \ / : * ? " < > | and control characters replaced by "_",
// and unpaired UTF-16 surrogates by U+FFFD.
std::wstring SafeTitleText(const std::wstring& title);

// "NN - title.mp3", at most maxChars UTF-16 units (never fewer than the
// number, " - " and ".mp3"); a long title is cut, never inside a
// surrogate pair.
std::wstring TitleMp3FileName(int track, const std::wstring& title, size_t maxChars);

// Longest file name a folder component may have.
constexpr size_t kMaxFileNameChars = 255;
// Longest MP3 path we build: MAX_PATH without its NUL, less room for the
// encoder's temporary suffix.
constexpr size_t kMaxMp3PathChars = 259 - 16;

// The MP3 path of a track while CDDB titles are in use: the folder joined
// with TitleMp3FileName, cut to kMaxMp3PathChars where the folder allows.
std::wstring TitleMp3Path(const std::wstring& folder, int track, const std::wstring& title);
