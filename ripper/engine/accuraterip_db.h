// The AccurateRip database the ripper asks (one lookup per disc per
// session), answering through an event on the user-interface thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ripper/engine/cd_reader.h"

struct AccurateRipEvents {
  virtual void LookupDone() = 0;

 protected:
  ~AccurateRipEvents() = default;
};

// One track's entry in one chunk of the database's answer.
struct ArEntry {
  uint8_t confidence = 0;
  uint32_t checksum = 0;  // v1 or v2
  uint32_t frame450 = 0;
};

// One chunk: a pressing (or checksum version) the database holds.
struct ArChunk {
  uint32_t id1 = 0, id2 = 0, id3 = 0;
  std::vector<ArEntry> tracks;  // audio tracks 1..A at index 0..A-1
};

enum class ArLookupStatus { None, Found, NotFound, Failed, Aborted };

struct ArLookupResult {
  ArLookupStatus status = ArLookupStatus::None;
  std::wstring discName;  // "dBAR-nnn-id1-id2-id3" without ".bin"
  std::vector<ArChunk> chunks;
  std::wstring error;  // Failed: one line for the user
};

class AccurateRipDb {
 public:
  virtual ~AccurateRipDb() = default;
  // Receives LookupDone; called on the UI thread only.
  virtual void SetEvents(AccurateRipEvents* sink) = 0;
  // The database's base address (default "http://www.accuraterip.com/accuraterip").
  virtual void SetServer(const std::wstring& url) = 0;
  // 0: the lookup has started and ends with exactly one LookupDone, within
  // 10 s. Non-zero: refused, Result() says why, and no event follows.
  virtual int16_t BeginLookup(const DiscToc& toc) = 0;
  // Any time: a running lookup ends at once (status Aborted) with its LookupDone.
  virtual void AbortLookup() = 0;
  // The last lookup's outcome; valid once LookupDone arrived.
  virtual ArLookupResult Result() = 0;
};
