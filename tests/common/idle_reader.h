// A CD reader with one drive that does nothing: tests derive from it and
// script only the members they look at.
#pragma once

#include "ripper/engine/cd_reader.h"

struct IdleReader : CdReader {
  void SetEvents(CdReaderEvents*) override {}
  int16_t InitAspi() override { return 0; }
  int16_t DriveCount() override { return 1; }
  std::wstring DriveDescription(int16_t) override { return L"Scripted drive"; }
  void SelectDrive(int16_t) override {}
  int16_t TrackCount() override { return 0; }
  int32_t TrackLength(int16_t) override { return 0; }
  int16_t PlayTrack(int16_t, int16_t, int16_t) override { return 0; }
  void StopPlay() override {}
  void BeginSession() override {}
  int16_t ReadTrackToWav(int16_t, const std::wstring&) override { return 1; }
  void AbortRead() override {}
  void EndSession() override {}
  std::wstring LastError() override { return L""; }
  bool SelectedToc(DiscToc&) override { return false; }
  void SetReadOptions(const ReadOptions&) override {}
  TrackProof LastTrackProof() override { return {}; }
};
