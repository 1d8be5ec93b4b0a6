// The MP3 encoder the ripper drives (control Mp3Enc1).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Tag texts for one MP3 file; empty texts are left out of the tag.
struct Mp3Tags {
  int track = 0;       // n of "n/N"
  int trackCount = 0;  // N; 0: the number alone
  std::wstring title, artist, album, year, genre;
};

// The encoder writes beside the MP3 under this suffix and renames at the
// end; path limits have to leave room for it.
inline constexpr wchar_t kMp3TempSuffix[] = L".wqpart";
constexpr size_t kMp3TempSuffixChars = sizeof(kMp3TempSuffix) / sizeof(wchar_t) - 1;

struct Mp3EncoderEvents {
  virtual void EncodeProgress(int32_t amountDone) = 0;
  virtual void EncodeDone() = 0;

 protected:
  ~Mp3EncoderEvents() = default;
};

class Mp3Encoder {
 public:
  virtual ~Mp3Encoder() = default;
  virtual void SetEvents(Mp3EncoderEvents* sink) = 0;

  virtual void SetBitRateKbit(int16_t kbit) = 0;  // property BitRateKbit
  // 0: ready to encode; anything else: nothing was written.
  virtual int16_t SetFiles(const std::wstring& wavPath, const std::wstring& mp3Path) = 0;
  virtual void StartEncoding() = 0;
  virtual void AbortEncoding() = 0;
  // Tells a running encode to stop without waiting for it; AbortEncoding
  // still follows. Lets several encoders stop side by side.
  virtual void RequestAbort() {}
  virtual int32_t ProgressTotal() = 0;  // never 0
  // Why the last SetFiles was refused or the last encode left no MP3 file
  // ("disk full", ...): read after SetFiles and after EncodeDone. Empty when
  // the MP3 file is in place (or SetFiles returned 0).
  virtual std::wstring FailureReason() { return {}; }
  // Tags of the prepared encode: after SetFiles returned 0, before
  // StartEncoding. An encoder that writes no tags ignores them.
  virtual void SetTags(const Mp3Tags& tags) {}
};
