// The track checksums against whipper's accuraterip-checksum and zlib's
// CRC32 (through Debian's python3), on WAV files made here; the sector-450
// checksum against the formula written out directly.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "components/accuraterip/ar_checksum.h"

namespace fs = std::filesystem;

namespace {

std::string Oracle() {
  const char* env = std::getenv("WQ_AR_ORACLE");
  return env && *env ? env : WQ_AR_ORACLE_DEFAULT;
}

#ifndef _WIN32
std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[256];
  while (fgets(buf, sizeof buf, p)) out += buf;
  pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(v));
  return buf;
}
#endif

std::vector<uint8_t> Noise(size_t frames, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> pcm(frames * 4);
  for (auto& b : pcm) b = static_cast<uint8_t>(rng());
  return pcm;
}

void Put32(std::ofstream& f, uint32_t v) {
  const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  f.write(b, 4);
}

class TrackChecksumsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("wq_ar_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(dir_);
    ASSERT_TRUE(fs::exists(Oracle())) << "no accuraterip-checksum at " << Oracle()
                                      << " (tools/build/get-ar-oracle.sh)";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Wav(const std::vector<uint8_t>& pcm) {
    const std::string path = (dir_ / ("t" + std::to_string(n_++) + ".wav")).string();
    std::ofstream f(path, std::ios::binary);
    const uint32_t bytes = static_cast<uint32_t>(pcm.size());
    f.write("RIFF", 4);
    Put32(f, 36 + bytes);
    f.write("WAVEfmt ", 8);
    Put32(f, 16);
    Put32(f, 1 | 2 << 16);  // PCM, stereo
    Put32(f, 44100);
    Put32(f, 44100 * 4);
    Put32(f, 4 | 16 << 16);  // block align, bits
    f.write("data", 4);
    Put32(f, bytes);
    f.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size()));
    return path;
  }

  // Ours, fed in uneven pieces so that frames straddle the calls.
  static ar::TrackChecksums Ours(const std::vector<uint8_t>& pcm, bool first, bool last) {
    ar::TrackChecksums c(static_cast<uint32_t>(pcm.size() / 4), first, last);
    size_t pos = 0, piece = 1;
    while (pos < pcm.size()) {
      const size_t n = std::min(piece, pcm.size() - pos);
      c.Add(pcm.data() + pos, n);
      pos += n;
      piece = piece * 3 + 1;
      if (piece > 70000) piece = 5;
    }
    return c;
  }

  fs::path dir_;
  int n_ = 0;
};

struct Case {
  const char* what;
  size_t frames;
  int track, total;
};

// The oracle and python are Linux programs: the Windows builds leave these
// comparisons to the native run, and their own arithmetic is checked against
// the oracle's answers by the verified-rip end-to-end test.
#ifndef _WIN32
TEST_F(TrackChecksumsTest, V1AndV2MatchTheOracleAtEveryPlaceOnTheDisc) {
  const Case cases[] = {
      {"middle track", 20 * 588, 2, 3},
      {"first track", 20 * 588, 1, 3},
      {"last track", 20 * 588, 3, 3},
      {"one-track disc", 20 * 588, 1, 1},
      {"first track, one frame past the skip", 2940, 1, 2},
      {"first track shorter than its skip", 2000, 1, 2},
      {"last track exactly its skip", 2940, 2, 2},
      {"one-track disc shorter than both skips", 5000, 1, 1},
      {"middle track of one sector", 588, 2, 3},
      {"long middle track (m*x beyond 32 bits)", 200 * 588, 5, 9},
  };
  uint32_t seed = 7;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto pcm = Noise(c.frames, seed++);
    const std::string wav = Wav(pcm);
    const auto ours = Ours(pcm, c.track == 1, c.track == c.total);
    const std::string args = " '" + wav + "' " + std::to_string(c.track) + " " + std::to_string(c.total);
    EXPECT_EQ(Hex(ours.V1()), Shell(Oracle() + " --accuraterip-v1" + args));
    EXPECT_EQ(Hex(ours.V2()), Shell(Oracle() + " --accuraterip-v2" + args));
  }
}

#endif

// Every frame of a last track shorter than the skip is left out. The
// reference tool subtracts the skip from the length unsigned and so counts
// the whole track instead; a CD track is at least 4 s long, so real discs
// never meet this.
TEST_F(TrackChecksumsTest, LastTrackShorterThanItsSkipCountsNothing) {
  const auto pcm = Noise(1500, 77);
  const auto ours = Ours(pcm, false, true);
  EXPECT_EQ(ours.V1(), 0u);
  EXPECT_EQ(ours.V2(), 0u);
  const auto oneTrack = Ours(pcm, true, true);
  EXPECT_EQ(oneTrack.V1(), 0u);
  EXPECT_EQ(oneTrack.V2(), 0u);
}

#ifndef _WIN32
TEST_F(TrackChecksumsTest, LoudSamplesCarryIntoTheHighWordOfV2) {
  // All bits set: every product's high word is non-zero, so a v2 that drops
  // it (or equals v1) shows.
  std::vector<uint8_t> pcm(30 * 588 * 4, 0xFF);
  for (size_t i = 0; i < pcm.size(); i += 4) pcm[i] = static_cast<uint8_t>(i);
  const std::string wav = Wav(pcm);
  const auto ours = Ours(pcm, true, false);
  EXPECT_NE(ours.V1(), ours.V2());
  EXPECT_EQ(Hex(ours.V1()), Shell(Oracle() + " --accuraterip-v1 '" + wav + "' 1 4"));
  EXPECT_EQ(Hex(ours.V2()), Shell(Oracle() + " '" + wav + "' 1 4"));
}

TEST_F(TrackChecksumsTest, Crc32IsZlibs) {
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(ar::Crc32(0, check, sizeof check), 0xCBF43926u);
  const auto pcm = Noise(3 * 588 + 1, 99);
  const std::string raw = (dir_ / "raw.pcm").string();
  std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(pcm.size()));
  const std::string zlib =
      Shell("/usr/bin/python3 -c \"import sys,zlib;print('%08X'%zlib.crc32(open(sys.argv[1],'rb').read()))\" '" +
          raw + "'");
  EXPECT_EQ(Hex(Ours(pcm, false, false).Crc()), zlib);
  uint32_t bytewise = 0;
  for (uint8_t b : pcm) bytewise = ar::Crc32(bytewise, &b, 1);
  EXPECT_EQ(Hex(bytewise), zlib);
}

#endif

uint32_t Frame450Direct(const std::vector<uint8_t>& pcm, int64_t shift) {
  uint64_t sum = 0;
  for (int64_t k = 0; k < 588; ++k) {
    const size_t at = static_cast<size_t>((450 * 588 + k + shift) * 4);
    const uint64_t x = uint64_t(pcm[at]) | uint64_t(pcm[at + 1]) << 8 | uint64_t(pcm[at + 2]) << 16 |
                       uint64_t(pcm[at + 3]) << 24;
    sum += x * uint64_t(k + 1);
  }
  return static_cast<uint32_t>(sum);
}

TEST_F(TrackChecksumsTest, Frame450AtEveryShiftAndOnlyWhenTheTrackHoldsThem) {
  const size_t need = 450 * 588 + 588 + 2939;  // frames the farthest shift reaches
  const auto pcm = Noise(need, 4242);
  const auto shifts = Ours(pcm, true, true).Frame450ByShift();
  ASSERT_EQ(shifts.size(), 2u * 2939 + 1);
  for (int s : {-2939, -2938, -588, -6, -1, 0, 1, 6, 587, 2938, 2939})
    EXPECT_EQ(shifts[size_t(s + 2939)], Frame450Direct(pcm, s)) << "shift " << s;
  // Every other shift too, against the direct sum (cheap enough).
  for (int s = -2939; s <= 2939; s += 97) EXPECT_EQ(shifts[size_t(s + 2939)], Frame450Direct(pcm, s)) << s;
  const std::vector<uint8_t> shorter(pcm.begin(), pcm.end() - 4);
  EXPECT_TRUE(Ours(shorter, false, false).Frame450ByShift().empty());
}

}  // namespace
