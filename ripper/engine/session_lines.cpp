#include "ripper/engine/session_lines.h"

#include "ripper/engine/session_names.h"

std::wstring StartingSessionLine(const std::wstring& date, const std::wstring& time) {
  return L"Starting Session (" + date + L") (" + time + L")";
}

std::wstring EndingSessionLine(const std::wstring& date, const std::wstring& time) {
  return L"Ending Session (" + date + L") (" + time + L")";
}

std::wstring ReadingTrackLine(int track, int left) {
  return L"Reading Track  " + NumberText(track) + L",   " + NumberText(left) + L" Track(s) left";
}

std::wstring ReadingTrackStatus(int track, int left) {
  return L"Reading Track " + NumberText(track) + L",   " + NumberText(left) + L" Track(s) left";
}

std::wstring EncodingTrackLine(int track, int left) {
  return L"Encoding Track " + NumberText(track) + L",   " + NumberText(left) + L" Track(s) left";
}

std::wstring ReadErrorLine(int32_t code, const std::wstring& message) {
  return L"Error code " + std::to_wstring(code) + L", " + message;
}

std::wstring InvalidLengthLine(int track) {
  return L"Error, invalid lenght on Track " + NumberText(track) + L" Skipping to next Track";
}

std::wstring MissingWavLine(int track) {
  return L"Error, no WAV file for Track " + NumberText(track) + L" Skipping to next Track";
}

std::wstring DeleteFailedLine(const std::wstring& path) { return L"Error, can not delete " + path; }

std::wstring NoMp3Line(int track, const std::wstring& reason) {
  return L"Error, no MP3 file for Track " + NumberText(track) + L" (" + reason + L") WAV file kept";
}

namespace {

std::wstring TrackList(const std::vector<int>& tracks) {
  std::wstring s = tracks.size() == 1 ? L"Track " : L"Tracks ";
  for (size_t i = 0; i < tracks.size(); ++i) s += (i ? L", " : L"") + NumberText(tracks[i]);
  return s;
}

}  // namespace

std::wstring PipelineStatus(int readTrack, int readLeft, const std::vector<int>& encodeTracks, int encodeLeft) {
  if (readTrack <= 0) {
    if (encodeTracks.empty()) return {};
    if (encodeTracks.size() == 1) return EncodingTrackLine(encodeTracks[0], encodeLeft);
    return L"Encoding " + TrackList(encodeTracks);
  }
  if (encodeTracks.empty()) return ReadingTrackStatus(readTrack, readLeft);
  return L"Reading Track " + NumberText(readTrack) + L", encoding " + TrackList(encodeTracks);
}
