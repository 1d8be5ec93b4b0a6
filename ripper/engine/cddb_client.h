// The CDDB client the ripper drives (control CdBase1).
#pragma once
#include <cstdint>
#include <string>

class CddbClient {
 public:
  virtual ~CddbClient() = default;
  virtual void SetClientName(const std::wstring& name) = 0;
  // "Open" looks up the disc in the reader's selected drive; "Close" ends it.
  virtual void SetConnection(const std::wstring& state) = 0;
  // Lasts as long as the lookup takes; keeps the UI thread's windows painted.
  virtual std::wstring DiscTitle() = 0;
  virtual int16_t CddbTrackCount() = 0;
  virtual std::wstring TrackTitle(int16_t& track) = 0;
  virtual void SetEmail(const std::wstring& email) = 0;

  // Not part of the control's surface: what failed in the last lookup
  // (empty after a success), so that the window can tell the user.
  virtual std::wstring LastError() = 0;
};
