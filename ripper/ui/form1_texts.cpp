#include "ripper/ui/form1_texts.h"

TrackTime SplitTrackLength(int32_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  TrackTime t;
  t.minutes = milliseconds / 60000;
  t.seconds = (milliseconds / 1000) % 60;
  return t;
}

int64_t TrackSizeTenthsMb(TrackTime t) {
  // Integer arithmetic so that exact halves round the same way everywhere:
  // tenths = seconds_total * 10.09 * 10 / 60 = seconds_total * 1009 / 600.
  int64_t totalSeconds = int64_t(t.minutes) * 60 + t.seconds;
  if (totalSeconds < 0) totalSeconds = 0;
  return (totalSeconds * 1009 * 2 + 600) / 1200;
}

std::wstring TwoDigits(int64_t n) {
  std::wstring s = std::to_wstring(n < 0 ? -n : n);
  if (s.size() < 2) s.insert(0, 2 - s.size(), L'0');
  if (n < 0) s.insert(0, 1, L'-');
  return s;
}

std::wstring TrackListEntry(int track, int32_t milliseconds) {
  TrackTime t = SplitTrackLength(milliseconds);
  int64_t tenths = TrackSizeTenthsMb(t);
  std::wstring e = L"Track " + TwoDigits(track);
  e += L"    " + TwoDigits(t.minutes) + L"," + TwoDigits(t.seconds);
  e += L"    " + TwoDigits(tenths / 10) + L"," + std::to_wstring(tenths % 10);
  e += L"  MB";
  return e;
}

std::wstring MainCaption(int major, int minor) {
  return L"wavequill v" + std::to_wstring(major) + L"." + TwoDigits(minor);
}
