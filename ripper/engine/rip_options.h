// What the user asked of a rip beyond today's: the reader's options and
// whether the tracks are checked against the AccurateRip database.
#pragma once
#include "ripper/engine/cd_reader.h"

struct RipOptions {
  ReadOptions read;  // read-offset correction and secure reading
  bool verify = false;
  // Off: the session, its windows and its log are exactly as without them.
  bool AnyCheck() const { return read.secure || verify; }
};
