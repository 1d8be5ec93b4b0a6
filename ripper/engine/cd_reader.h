// The CD reader the ripper drives (control ACD1): drives and tracks numbered
// from 1, long reads reported through events on the user-interface thread.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct CdReaderEvents {
  virtual void ReadProgress(int32_t perMille) = 0;
  virtual void ReadDone() = 0;
  virtual void ReadError(int32_t code, const std::wstring& message) = 0;

 protected:
  ~CdReaderEvents() = default;
};

// Table of contents of the selected drive's disc, for disc identification.
// LBAs count from the start of the program area (the first track usually at
// 0); add the 150-frame lead-in for absolute frame offsets.
struct DiscToc {
  std::vector<uint32_t> trackStartLba;  // every track on the disc, data tracks too
  // 1-based positions in trackStartLba of the tracks the reader lists as
  // 1..n (its audio tracks); empty when every track is listed.
  std::vector<int> listedTracks;
  uint32_t leadOutLba = 0;  // the whole disc's
};

// How the following reads are made; kept until set again.
struct ReadOptions {
  // Read-offset correction C in samples: the ripped track's sample p is the
  // drive's sample p + C. Samples before the disc's first sector or past its
  // lead-out read as zeros.
  int32_t offsetSamples = 0;
  // A test read and a copy read, compared; chunks that differ are read again.
  bool secure = false;
  // AccurateRip checksums in the proof; a plain rip does not pay for them.
  bool checksums = false;
};

// What a finished read proved about the audio it wrote, for verification.
struct TrackProof {
  bool valid = false;  // false until a read of this session ended with ReadDone
  uint32_t crc = 0;    // CRC32 (zlib) of the audio bytes written (the copy read)
  bool secure = false;
  uint32_t testCrc = 0;  // secure reading: CRC32 of the test read
  int32_t rereads = 0;   // secure reading: chunk re-reads made
  // Secure reading: first sample (within the track) of each stretch that
  // never read alike twice; the track's audio there is doubtful.
  std::vector<uint32_t> suspiciousSamples;
  // AccurateRip checksums of the track's audio as written.
  uint32_t arV1 = 0;
  uint32_t arV2 = 0;
  // The track's sector-450 checksum at the set correction shifted by
  // s = -2939..2939 samples, at index s + 2939; empty when the track is too
  // short to hold sector 450 and the shifts around it.
  std::vector<uint32_t> frame450ByShift;
};
constexpr int32_t kFrame450MaxShift = 2939;

class CdReader {
 public:
  virtual ~CdReader() = default;
  // Receives ReadProgress/ReadDone/ReadError; called on the UI thread only.
  virtual void SetEvents(CdReaderEvents* sink) = 0;

  virtual int16_t InitAspi() = 0;
  virtual int16_t DriveCount() = 0;
  virtual std::wstring DriveDescription(int16_t drive) = 0;
  virtual void SelectDrive(int16_t drive) = 0;
  virtual int16_t TrackCount() = 0;
  virtual int32_t TrackLength(int16_t track) = 0;
  virtual int16_t PlayTrack(int16_t track, int16_t from, int16_t flag) = 0;
  virtual void StopPlay() = 0;
  virtual void BeginSession() = 0;
  // 0: the read has started and ends with exactly one ReadDone or ReadError.
  virtual int16_t ReadTrackToWav(int16_t track, const std::wstring& wavPath) = 0;
  virtual void AbortRead() = 0;
  virtual void EndSession() = 0;

  // Not part of the control's automation surface: what the last synchronous
  // member that failed had to say (empty when it succeeded), so that the
  // window can tell the user instead of going silent.
  virtual std::wstring LastError() = 0;
  // The selected drive's TOC; false when there is no readable disc.
  virtual bool SelectedToc(DiscToc& toc) = 0;

  // Verified rips. Options apply to reads started after the call.
  virtual void SetReadOptions(const ReadOptions& options) = 0;
  // The proof of the last read that ended with ReadDone.
  virtual TrackProof LastTrackProof() = 0;
};
