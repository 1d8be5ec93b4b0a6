// Reading one track into a WAV file, written against CdDevice so that a
// simulated drive can drive it. Runs on the reader's worker thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "components/cdreader/cd_device.h"
#include "ripper/engine/cd_reader.h"

namespace cdr {

// Codes of the ReadError event.
enum ReadErrorCode : int32_t {
  kErrNoSuchTrack = 1,
  kErrNoDisc = 2,
  kErrCreateFile = 3,
  kErrRead = 4,
  kErrWrite = 5,
  kErrBusy = 6,
  kErrStart = 7,
};

// Where the WAV goes: appended bytes, and the header rewritten in place.
class WavSink {
 public:
  virtual ~WavSink() = default;
  virtual bool Append(const uint8_t* data, size_t bytes, std::wstring& error) = 0;
  virtual bool RewriteHeader(const uint8_t* header, size_t bytes, std::wstring& error) = 0;
};

enum class ReadOutcome { Done, Aborted, Failed };

struct ReadResult {
  ReadOutcome outcome = ReadOutcome::Failed;
  int32_t code = 0;
  std::wstring message;
  uint64_t dataBytes = 0;  // sample bytes written after the header
};

// Attempts per chunk before a read error ends the track; a drive often
// recovers on a second pass.
constexpr int kReadAttempts = 3;

// Reads that fail this often in secure reading leave their stretch doubtful.
constexpr int kMaxRereads = 16;

struct TrackReadPlan {
  uint32_t startLba = 0, endLba = 0;  // the track's sectors
  // Sectors the drive can read; samples outside them are silence. Left at
  // 0, 0: every sector from 0 on.
  uint32_t readableFirst = 0, readableEnd = 0;
  ReadOptions options;
  // The disc's first and last audio track, for the AccurateRip checksums.
  bool firstTrack = false, lastTrack = false;
};

// The sectors a drive can read of disc's audio: from the disc's start (or
// from the first audio track when a data track comes first) to the end of
// the last audio track (the first session's lead-out on an Enhanced CD).
void ReadableSpan(const DiscInfo& disc, uint32_t& first, uint32_t& end);

// Writes the header and the track's audio, shifted by the read-offset
// correction, to sink; with options.secure, reads it twice and again where
// the reads differ. proof (optional) is filled when the read is Done.
ReadResult ReadTrack(CdDevice& device, const TrackReadPlan& plan, WavSink& sink, const std::atomic<bool>& abort,
                     const std::function<void(int32_t)>& progress, TrackProof* proof = nullptr);

// Writes the header and frames [startLba, endLba) to sink. progress gets
// per-mille values 0..1000, each only once and ascending. When the read
// stops early (abort or error) the header is rewritten to describe what was
// written, so that the partial file stays a valid WAV.
ReadResult ReadTrackFrames(CdDevice& device, uint32_t startLba, uint32_t endLba, WavSink& sink,
                           const std::atomic<bool>& abort, const std::function<void(int32_t)>& progress);

// Per-mille of done out of total, 1000 when total is 0.
int32_t PerMille(uint64_t done, uint64_t total);

}  // namespace cdr
