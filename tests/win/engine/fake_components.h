// A main window host for driving the session with the scripted parts on the
// UI thread. Events arrive through UiPost, so they run inside the session's
// wait loop like the real ones; files go to a fresh temporary folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ripper/engine/ui_dispatch.h"
#include "tests/win/common/test_files.h"
#include "tests/native/engine/fake_parts.h"

class FakeHost final : public FakeWorld {
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
  // Encoder slots 1.. beside Encoder(), when a test runs several.
  std::vector<Mp3Encoder*> moreEncoders;

  Form1State& State() override { return state; }
  CdReader& Reader() override { return realReader ? *realReader : reader; }
  Mp3Encoder& Encoder() override { return realEncoder ? *realEncoder : encoder; }
  CddbClient& Cddb() override { return cddb; }
  int EncoderSlots() override { return 1 + static_cast<int>(moreEncoders.size()); }
  Mp3Encoder& SlotEncoder(int slot) override {
    return slot == 0 ? Encoder() : *moreEncoders.at(static_cast<size_t>(slot - 1));
  }
  int TrackListCount() override { return static_cast<int>(selected.size()); }
  bool TrackListSelected(int index) override { return selected.at(static_cast<size_t>(index)); }
  int TrackListSelectedCount() override;
  std::wstring OutputFolder() override { return folder; }
  std::wstring Prefix() override { return prefix; }
  void Post(Event e) override { UiPost(std::move(e)); }
  void PutFile(const std::wstring& path, long long bytes) override;
};

// File helpers for the checks.
long FileSize(const std::wstring& path);  // -1 when missing
bool WriteBytes(const std::wstring& path, long bytes);
std::vector<std::string> SplitCrLf(const std::string& text);  // keeps a trailing empty piece out
std::string Narrow(const std::wstring& s);                    // ASCII texts of the tests
