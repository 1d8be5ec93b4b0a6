// Texts of the main window: its caption and its track list.
#pragma once
#include <cstdint>
#include <string>

// A track's length split as the list shows it: whole minutes and the
// remaining whole seconds. Negative lengths count as 0.
struct TrackTime {
  int32_t minutes = 0;
  int32_t seconds = 0;
};
TrackTime SplitTrackLength(int32_t milliseconds);

// Megabytes of CD audio for a track, in tenths of a megabyte (10.09 MB per
// minute, rounded half away from zero to one decimal).
int64_t TrackSizeTenthsMb(TrackTime t);

// "0#": at least two digits.
std::wstring TwoDigits(int64_t n);

// "Track NN    MM,SS    SSS,S  MB"
std::wstring TrackListEntry(int track, int32_t milliseconds);

// The caption: "wavequill v" major "." minor as "0#".
std::wstring MainCaption(int major, int minor);
