// Texts a session writes to its log, its progress list and its status line.
// Blanks are part of the format that readers of the log rely on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Selected tracks left, the current one included.
inline int TracksLeft(int selectedTotal, int selectedOrdinal) { return selectedTotal - selectedOrdinal + 1; }

std::wstring StartingSessionLine(const std::wstring& date, const std::wstring& time);
std::wstring EndingSessionLine(const std::wstring& date, const std::wstring& time);
// Log and list: two blanks after "Track"; the status line has one.
std::wstring ReadingTrackLine(int track, int left);
std::wstring ReadingTrackStatus(int track, int left);
// Status line, log and list share this one.
std::wstring EncodingTrackLine(int track, int left);
std::wstring ReadErrorLine(int32_t code, const std::wstring& message);
std::wstring InvalidLengthLine(int track);
// Lines for failures the session reports beyond the usual ones.
std::wstring MissingWavLine(int track);
std::wstring DeleteFailedLine(const std::wstring& path);
// The encoder refused the track or left no MP3 file; the WAV file stays.
std::wstring NoMp3Line(int track, const std::wstring& reason);

inline constexpr wchar_t kReadingAbortedLine[] = L"Reading Aborted";
inline constexpr wchar_t kEncodingAbortedLine[] = L"Encoding Aborted";

// Status line while a read and encodes run side by side: "Reading Track 03,
// encoding Tracks 01, 02". readTrack 0: no read. A read or one encode alone
// give today's texts (readLeft/encodeLeft: their tracks left). Empty when
// nothing runs.
std::wstring PipelineStatus(int readTrack, int readLeft, const std::vector<int>& encodeTracks, int encodeLeft);
