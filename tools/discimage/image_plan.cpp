#include "tools/discimage/image_plan.h"

#include <cmath>
#include <cstdio>

namespace discimage {

uint32_t SecondsToFrames(double seconds) {
  double f = std::floor(seconds * kFramesPerSecond + 0.5);
  if (!(f >= 1)) return 1;
  if (f > 75.0 * 60 * 100) return 75 * 60 * 100;
  return uint32_t(f);
}

Plan MakePlan(const std::string& baseName, const std::vector<double>& trackSeconds, double pregapSeconds,
              bool split, const std::vector<bool>& dataTracks) {
  Plan p;
  p.baseName = baseName;
  p.split = split;
  uint32_t gap = pregapSeconds > 0 ? SecondsToFrames(pregapSeconds) : 0;
  if (!split) p.files.push_back(baseName + ".bin");
  uint32_t lba = 0, fileFrame = 0;
  for (size_t i = 0; i < trackSeconds.size(); ++i) {
    PlanTrack t;
    t.number = int(i + 1);
    t.data = i < dataTracks.size() && dataTracks[i];
    t.pregapFrames = i == 0 ? 0 : gap;  // track 1's pregap is the lead-in
    t.audioFrames = SecondsToFrames(trackSeconds[i]);
    if (split) {
      char name[16];
      std::snprintf(name, sizeof name, "-%02d.bin", t.number);
      p.files.push_back(baseName + name);
      fileFrame = 0;
    }
    t.file = int(p.files.size() - 1);
    t.fileFrame = fileFrame;
    lba += t.pregapFrames;
    t.startLba = lba;
    lba += t.audioFrames;
    fileFrame += t.pregapFrames + t.audioFrames;
    p.tracks.push_back(t);
  }
  p.leadOutLba = lba;
  return p;
}

namespace {

std::string Msf(uint32_t frames) {
  char b[16];
  std::snprintf(b, sizeof b, "%02u:%02u:%02u", frames / (75 * 60), (frames / 75) % 60, frames % 75);
  return b;
}

}  // namespace

std::string CueText(const Plan& plan) {
  std::string s = "REM GENERATOR discimage\r\nPERFORMER \"Synthetic\"\r\nTITLE \"" + plan.baseName + "\"\r\n";
  int file = -1;
  for (const PlanTrack& t : plan.tracks) {
    if (t.file != file) {
      file = t.file;
      s += "FILE \"" + plan.files[file] + "\" BINARY\r\n";
    }
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02d %s\r\n", t.number, t.data ? "MODE1/2352" : "AUDIO");
    s += line;
    if (t.pregapFrames) s += "    INDEX 00 " + Msf(t.fileFrame) + "\r\n";
    s += "    INDEX 01 " + Msf(t.fileFrame + t.pregapFrames) + "\r\n";
  }
  return s;
}

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kSamplesPerFrame = 588;

// Integer sine (Bhaskara I) over a 32-bit phase: identical on every target.
int32_t Sine(uint32_t phase) {
  const int64_t n = 65536;
  int64_t x = (phase & 0x7FFFFFFF) >> 15;
  int64_t q = x * (n - x);
  int32_t s = int32_t(32767 * 16 * q / (5 * n * n - 4 * q));
  return (phase & 0x80000000u) ? -s : s;
}

uint32_t Mix(uint32_t a, uint32_t b) {
  uint64_t h = (uint64_t(a) << 32 | b) * 0x9E3779B97F4A7C15ull;
  return uint32_t(h >> 29) ^ uint32_t(h);
}

uint32_t PhaseStep(uint32_t milliHz) {
  return uint32_t((uint64_t(milliHz) << 32) / (uint64_t(kRate) * 1000));
}

// A minor pentatonic over two octaves, in millihertz.
const uint32_t kScale[] = {220000, 261626, 293665, 329628, 391995, 440000, 523251, 587330, 659255, 783991};
constexpr int kScaleSize = sizeof kScale / sizeof kScale[0];

void Put(uint8_t* out, int32_t l, int32_t r) {
  auto clip = [](int32_t v) { return v > 32767 ? 32767 : v < -32768 ? -32768 : v; };
  uint16_t a = uint16_t(int16_t(clip(l))), b = uint16_t(int16_t(clip(r)));
  out[0] = uint8_t(a);
  out[1] = uint8_t(a >> 8);
  out[2] = uint8_t(b);
  out[3] = uint8_t(b >> 8);
}

}  // namespace

void TrackAudio(uint32_t seed, int track, uint32_t firstFrame, uint32_t frames, uint8_t* out) {
  uint32_t key = Mix(seed, uint32_t(track));
  // Tempo between 90 and 150 beats a minute.
  uint32_t beat = kRate * 60 / (90 + key % 61);
  uint64_t first = uint64_t(firstFrame) * kSamplesPerFrame;
  uint64_t count = uint64_t(frames) * kSamplesPerFrame;
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t s = first + i;
    uint32_t b = uint32_t(s / beat), inBeat = uint32_t(s % beat);
    uint32_t bar = b / 4;
    uint32_t melody = kScale[Mix(key, b) % kScaleSize];
    uint32_t bass = kScale[Mix(key ^ 0x55, bar) % 5] / 2;
    // Phases are positions, not accumulators, so any stretch can be made
    // on its own and still join its neighbours without a click.
    uint32_t pm = uint32_t(uint64_t(PhaseStep(melody)) * inBeat);
    uint32_t pm2 = uint32_t(uint64_t(PhaseStep(melody * 2)) * inBeat);
    uint32_t pb = uint32_t(uint64_t(PhaseStep(bass)) * (s % (uint64_t(beat) * 4)));
    // Envelopes: 10 ms attack, then a quadratic decay over the note.
    uint32_t attack = kRate / 100;
    int64_t envM = inBeat < attack ? int64_t(inBeat) * 1024 / attack
                                   : int64_t(beat - inBeat) * (beat - inBeat) * 1024 / (int64_t(beat) * beat);
    uint32_t inBar = uint32_t(s % (uint64_t(beat) * 4));
    int64_t envB = 1024 - int64_t(inBar) * 600 / (int64_t(beat) * 4);
    int32_t mel = int32_t((Sine(pm) * 2 + Sine(pm2)) / 3 * envM / 1024 * 9 / 20);
    int32_t bas = int32_t(Sine(pb) * envB / 1024 * 3 / 10);
    int32_t noise = int32_t(Mix(key ^ 0xA5A5, uint32_t(s)) % 401) - 200;
    bool left = (b & 1) == 0;
    int32_t l = bas + (left ? mel : mel / 2) + noise;
    int32_t r = bas + (left ? mel / 2 : mel) - noise / 2;
    Put(out + i * 4, l, r);
  }
}

void PregapAudio(uint32_t seed, int track, uint32_t firstFrame, uint32_t frames, uint8_t* out) {
  uint32_t key = Mix(seed ^ 0xC0FFEE, uint32_t(track));
  uint64_t first = uint64_t(firstFrame) * kSamplesPerFrame;
  uint64_t count = uint64_t(frames) * kSamplesPerFrame;
  uint32_t step = PhaseStep(110000);
  for (uint64_t i = 0; i < count; ++i) {
    uint64_t s = first + i;
    int32_t v = Sine(uint32_t(step * s)) / 40;
    int32_t noise = int32_t(Mix(key, uint32_t(s)) % 61) - 30;
    Put(out + i * 4, v + noise, v - noise);
  }
}

}  // namespace discimage
