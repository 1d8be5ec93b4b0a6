// Scripted stand-ins for the CD reader and the encoder, and a main window
// host, for driving the session on the UI thread. Events arrive through
// UiPost, so they run inside the session's wait loop like the real ones.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ripper/engine/session_host.h"

// What one read does.
struct ReadScript {
  int16_t status = 0;         // returned by ReadTrackToWav
  long wavBytes = 44 + 4000;  // written at the path; -1 writes nothing
  std::vector<int32_t> progress{250, 500, 1000};
  enum End { Done, Error, Nothing } end = Done;
  int32_t errorCode = 0;
  std::wstring errorMessage;
  std::function<void()> during;  // posted after the progress events
};

struct EncodeScript {
  int16_t setFilesStatus = 0;
  std::vector<int32_t> progress{50, 100, 200};
  bool done = true;  // raise EncodeDone and write the MP3
  std::function<void()> during;
};

class FakeHost;

class FakeReader : public CdReader {
 public:
  explicit FakeReader(FakeHost& host) : host_(host) {}
  std::map<int, ReadScript> scripts;  // by track; others read normally
  std::vector<std::wstring> calls;
  std::function<void(int track)> onRead;  // runs inside ReadTrackToWav
  // Writes the WAV instead of wavBytes filler bytes (for the real encoder).
  std::function<void(const std::wstring& wavPath)> writeWav;

  void SetEvents(CdReaderEvents*) override {}
  int16_t InitAspi() override { return 0; }
  int16_t DriveCount() override { return 1; }
  std::wstring DriveDescription(int16_t) override { return L"Fake drive"; }
  void SelectDrive(int16_t) override {}
  int16_t TrackCount() override { return 9; }
  int32_t TrackLength(int16_t) override { return 60000; }
  int16_t PlayTrack(int16_t, int16_t, int16_t) override { return 0; }
  void StopPlay() override {}
  void BeginSession() override { calls.push_back(L"BeginSession"); }
  int16_t ReadTrackToWav(int16_t track, const std::wstring& wavPath) override;
  void AbortRead() override { calls.push_back(L"AbortRead"); }
  void EndSession() override { calls.push_back(L"EndSession"); }
  std::wstring LastError() override { return {}; }
  bool SelectedToc(DiscToc&) override { return false; }

 private:
  FakeHost& host_;
};

class FakeEncoder : public Mp3Encoder {
 public:
  explicit FakeEncoder(FakeHost& host) : host_(host) {}
  std::map<std::wstring, EncodeScript> scripts;  // by WAV path
  std::vector<std::wstring> calls;
  int32_t total = 200;
  std::function<void()> onStart;  // runs inside StartEncoding

  void SetEvents(Mp3EncoderEvents*) override {}
  void SetBitRateKbit(int16_t kbit) override { calls.push_back(L"BitRate " + std::to_wstring(kbit)); }
  int16_t SetFiles(const std::wstring& wavPath, const std::wstring& mp3Path) override;
  void StartEncoding() override;
  void AbortEncoding() override { calls.push_back(L"AbortEncoding"); }
  int32_t ProgressTotal() override { return total; }

 private:
  FakeHost& host_;
  std::wstring wav_, mp3_;
};

class FakeCddb : public CddbClient {
 public:
  std::map<int, std::wstring> titles;
  void SetClientName(const std::wstring&) override {}
  void SetConnection(const std::wstring&) override {}
  std::wstring DiscTitle() override { return L"Fake disc"; }
  int16_t CddbTrackCount() override { return static_cast<int16_t>(titles.size()); }
  std::wstring TrackTitle(int16_t& track) override { return titles[track]; }
  void SetEmail(const std::wstring&) override {}
  std::wstring LastError() override { return {}; }
};

class FakeHost : public SessionHost {
 public:
  FakeHost();
  ~FakeHost();

  Form1State state;
  FakeReader reader{*this};
  FakeEncoder encoder{*this};
  FakeCddb cddb;
  std::vector<bool> selected = std::vector<bool>(9, false);
  std::wstring folder;  // a fresh temporary folder
  std::wstring prefix = L"Track";
  HWND main = nullptr;
  // Real components in place of the scripted ones, when set.
  CdReader* realReader = nullptr;
  Mp3Encoder* realEncoder = nullptr;

  Form1State& State() override { return state; }
  CdReader& Reader() override { return realReader ? *realReader : reader; }
  Mp3Encoder& Encoder() override { return realEncoder ? *realEncoder : encoder; }
  CddbClient& Cddb() override { return cddb; }
  int TrackListCount() override { return static_cast<int>(selected.size()); }
  bool TrackListSelected(int index) override { return selected.at(static_cast<size_t>(index)); }
  int TrackListSelectedCount() override;
  std::wstring OutputFolder() override { return folder; }
  std::wstring Prefix() override { return prefix; }
};

// File helpers for the checks.
long FileSize(const std::wstring& path);  // -1 when missing
bool WriteBytes(const std::wstring& path, long bytes);
std::string ReadAll(const std::wstring& path);
std::vector<std::string> SplitCrLf(const std::string& text);  // keeps a trailing empty piece out
std::string Narrow(const std::wstring& s);  // ASCII texts of the tests
