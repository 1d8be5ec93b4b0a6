// What the rip-and-encode session reads from and does to the world around
// it: the main window (SessionHost), the progress window (SessionView) and
// the files of the output folder (SessionFiles). The windows and the disk
// implement them; tests implement them in memory.
#pragma once
#include <string>

#include "ripper/engine/accuraterip_db.h"
#include "ripper/engine/cd_reader.h"
#include "ripper/engine/cddb_client.h"
#include "ripper/engine/form1_state.h"
#include "ripper/engine/mp3_encoder.h"
#include "ripper/engine/rip_options.h"

class SessionHost {
 public:
  virtual Form1State& State() = 0;
  virtual CdReader& Reader() = 0;     // ACD1
  virtual Mp3Encoder& Encoder() = 0;  // Mp3Enc1
  virtual CddbClient& Cddb() = 0;     // CdBase1
  // Encoder instances a session may run at once (1..8); slot 0 is Encoder().
  // Slot s reports through SessionEncodeProgress/SessionEncodeDone(host, s).
  virtual int EncoderSlots() { return 1; }
  virtual Mp3Encoder& SlotEncoder(int /*slot*/) { return Encoder(); }

  virtual int TrackListCount() = 0;  // List1 entries
  virtual bool TrackListSelected(int index) = 0;
  virtual int TrackListSelectedCount() = 0;
  virtual std::wstring OutputFolder() = 0;  // Dir1's path, read each time
  virtual std::wstring Prefix() = 0;        // Text2, as typed

  // Verified rips. A host without them rips as it always has.
  virtual RipOptions Options() { return {}; }  // read at session start
  virtual AccurateRipDb* AccurateRip() { return nullptr; }

 protected:
  ~SessionHost() = default;
};

class SessionView {
 public:
  // A fresh progress window, shown, the main window hidden. False (the user
  // told) when it cannot be created.
  virtual bool Open() = 0;
  virtual void SetStatus(const std::wstring& text) = 0;
  virtual void AddLine(const std::wstring& line) = 0;
  // bar: 1 = all tracks, 2 = this track, 3 = encoding; in twips.
  virtual void SetBarWidth(int bar, float twips) = 0;
  // A message box over the progress window; events keep arriving while it is up.
  virtual void Tell(const std::wstring& text) = 0;
  // Handles events until flag turns true. False when the program is to quit.
  virtual bool WaitFor(const bool& flag) = 0;
  virtual void Beep() = 0;
  // The main window shown again, the progress window beside it reading DONE.
  virtual void Ended() = 0;

 protected:
  ~SessionView() = default;
};

class SessionFiles {
 public:
  // Size in bytes; -1 when there is no such file (or it is a folder).
  virtual long long FileSize(const std::wstring& path) = 0;
  // False only when the file is there and stays.
  virtual bool Delete(const std::wstring& path) = 0;
  // The session log, appended to line by line.
  virtual bool OpenLog(const std::wstring& path) = 0;
  virtual void WriteLogLine(const std::wstring& line) = 0;
  virtual void CloseLog() = 0;
  // Now, in the user's short-date and time formats.
  virtual std::wstring Date() = 0;
  virtual std::wstring Time() = 0;

 protected:
  ~SessionFiles() = default;
};
