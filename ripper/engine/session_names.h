// File names of a session: the numbers, the folder join and the WAV, MP3 and
// log paths built from the output folder, the prefix and the track number.
#pragma once
#include <string>

// n formatted as "0#": at least two digits (1 -> "01", 100 -> "100").
std::wstring NumberText(long long n);

// folder + name; a "\" goes in between unless the folder is exactly three
// characters long (a drive root such as D:\, which already ends in one).
std::wstring JoinOutputPath(const std::wstring& folder, const std::wstring& name);

std::wstring LogFilePath(const std::wstring& folder);
// The prefix is used as typed, blanks included.
std::wstring WavFilePath(const std::wstring& folder, const std::wstring& prefix, int track);
std::wstring Mp3FilePath(const std::wstring& folder, const std::wstring& prefix, int track);
// CDDB naming: "NN - title.mp3", no prefix.
std::wstring Mp3FilePathFromTitle(const std::wstring& folder, int track, const std::wstring& title);

// True when the MP3 path and the encoder's temporary name beside it both fit
// Windows' limits: MAX_PATH for the path, 255 characters for the file name.
bool Mp3PathFits(const std::wstring& mp3Path);
