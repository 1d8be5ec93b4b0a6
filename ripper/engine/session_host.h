// What the rip-and-encode session reads from and does to the main window.
// The main window implements it; tests implement it with fakes.
#pragma once
#include <windows.h>

#include <string>

#include "ripper/engine/cd_reader.h"
#include "ripper/engine/cddb_client.h"
#include "ripper/engine/form1_state.h"
#include "ripper/engine/mp3_encoder.h"

class SessionHost {
 public:
  virtual Form1State& State() = 0;
  virtual CdReader& Reader() = 0;       // ACD1
  virtual Mp3Encoder& Encoder() = 0;    // Mp3Enc1
  virtual CddbClient& Cddb() = 0;       // CdBase1

  virtual HWND MainWindow() = 0;        // Form1: hidden and shown again
  virtual int TrackListCount() = 0;     // List1 entries
  virtual bool TrackListSelected(int index) = 0;
  virtual int TrackListSelectedCount() = 0;
  virtual std::wstring OutputFolder() = 0;  // Dir1's path, read each time
  virtual std::wstring Prefix() = 0;        // Text2, as typed

 protected:
  ~SessionHost() = default;
};
