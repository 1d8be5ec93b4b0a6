// What SetFiles returns. 0 is the only value callers rely on; the others
// tell the failures apart in tests and when debugging.
#pragma once
#include <cstdint>

enum class SetFilesStatus : int16_t {
  Ok = 0,
  CannotReadWav = 1,    // missing, locked, unreadable
  BadWav = 2,           // not RIFF/WAVE, not 16-bit PCM, odd layout
  CannotCreateMp3 = 3,  // folder missing, read-only, a folder by that name
  BadBitRate = 4,       // not a layer III bit rate
  EncoderSetup = 5,     // no longer returned: LAME is set up on the worker, and its refusal fails the encode
  Busy = 6,             // an encode is still running
  NameTooLong = 7,      // the MP3 path leaves no room for the temporary name
};
