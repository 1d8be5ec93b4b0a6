// Any bytes as a WAV file: the parser must neither overrun nor report a
// data range outside the input.
#include <cstdint>
#include <cstdlib>

#include "components/mp3enc/wav_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryByteSource src(data, size);
  const WavInfo w = ParseWavHeader(src);
  if (w.status == WavStatus::Ok) {
    if (w.dataOffset + w.dataBytes > size) std::abort();
    if (w.blockAlign == 0 || w.dataBytes != w.frames * w.blockAlign) std::abort();
    if (!IsSupportedSampleRate(w.sampleRate) || w.bitsPerSample != 16) std::abort();
  }
  return 0;
}
