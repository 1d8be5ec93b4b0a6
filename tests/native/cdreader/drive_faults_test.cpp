// The drive file of a simulated drive, and its read speed.
#include "components/cdreader/drive_faults.h"

#include <gtest/gtest.h>

#include <cstring>

#include "components/cdreader/image_device.h"

using namespace cdr;

TEST(DriveFaults, ParsesEverySettingWithCommentsAndWindowsLineEnds) {
  DriveFaults f;
  std::wstring error;
  ASSERT_TRUE(ParseDriveFaults("\xEF\xBB\xBF# a worn disc in a slow drive\r\n"
                               "offset +6\r\n"
                               "\r\n"
                               "  speed 8x   # like a real drive\r\n"
                               "flaky 1000-1009 2\r\n"
                               "flaky 5 1\n"
                               "random\t2000-2004\n",
                               f, error))
      << std::string(error.begin(), error.end());
  EXPECT_EQ(f.offsetSamples, 6);
  EXPECT_EQ(f.speed, 8.0);
  ASSERT_EQ(f.flaky.size(), 2u);
  EXPECT_EQ(f.flaky[0].first, 1000u);
  EXPECT_EQ(f.flaky[0].count, 10u);
  EXPECT_EQ(f.flaky[0].badReads, 2u);
  EXPECT_EQ(f.flaky[1].first, 5u);
  EXPECT_EQ(f.flaky[1].count, 1u);
  ASSERT_EQ(f.random.size(), 1u);
  EXPECT_EQ(f.random[0].first, 2000u);
  EXPECT_EQ(f.random[0].count, 5u);

  ASSERT_TRUE(ParseDriveFaults("offset -1234\nspeed 0.5", f, error));
  EXPECT_EQ(f.offsetSamples, -1234);
  EXPECT_EQ(f.speed, 0.5);
  EXPECT_TRUE(f.flaky.empty());  // a new parse starts afresh

  // What discimage writes reads back the same.
  DriveFaults back;
  ASSERT_TRUE(ParseDriveFaults(DriveFaultsText(f), back, error));
  EXPECT_EQ(back.offsetSamples, -1234);
  EXPECT_EQ(back.speed, 0.5);
  f.flaky = {{7, 3, 16}};
  f.random = {{449990, 10}};
  ASSERT_TRUE(ParseDriveFaults(DriveFaultsText(f), back, error));
  ASSERT_EQ(back.flaky.size(), 1u);
  EXPECT_EQ(back.flaky[0].first, 7u);
  EXPECT_EQ(back.flaky[0].count, 3u);
  EXPECT_EQ(back.flaky[0].badReads, 16u);
  ASSERT_EQ(back.random.size(), 1u);
  EXPECT_EQ(back.random[0].count, 10u);
}

TEST(DriveFaults, BadLinesAreNamedAndLeaveTheFaultsAlone) {
  struct Case {
    const char* text;
    const wchar_t* error;
  } cases[] = {
      {"offset 6\nspeed fast\n", L"line 2: the speed must be"},
      {"offset", L"line 1: expected offset SAMPLES"},
      {"offset 100001", L"line 1: the offset must be"},
      {"offset 6x", L"line 1: the offset must be"},
      {"offset --6", L"line 1: the offset must be"},
      {"offset 1\noffset 2", L"line 2: the offset is set twice"},
      {"speed 8x\nspeed 4x", L"line 2: the speed is set twice"},
      {"speed 0.001x", L"line 1: the speed must be"},
      {"speed nan", L"line 1: the speed must be"},
      {"speed 1e3", L"line 1: the speed must be"},
      {"speed 1..2", L"line 1: the speed must be"},
      {"flaky 10-5 1", L"line 1: the range 10-5 ends before it starts"},
      {"flaky 10 0", L"line 1: the number of bad reads must be 1 to 1000"},
      {"flaky 10", L"line 1: expected flaky FIRST[-LAST] READS"},
      {"flaky 450000 1", L"line 1: '450000' is not a sector"},
      {"random 1-", L"line 1: '1-' is not a sector"},
      {"random -5", L"line 1: '-5' is not a sector"},
      {"random 99999999999999999999", L"line 1: '99999999999999999999' is not a sector"},
      {"# ok\n\nscratch 5\n", L"line 3: unknown setting 'scratch'"},
  };
  for (const Case& c : cases) {
    DriveFaults f;
    f.offsetSamples = 77;
    std::wstring error;
    EXPECT_FALSE(ParseDriveFaults(c.text, f, error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave " << std::string(error.begin(), error.end());
    EXPECT_EQ(f.offsetSamples, 77) << c.text;
  }
  std::string many;
  for (int i = 0; i <= 1000; ++i) many += "random " + std::to_string(i) + "\n";
  DriveFaults f;
  std::wstring error;
  EXPECT_FALSE(ParseDriveFaults(many, f, error));
  EXPECT_EQ(error, L"line 1001: more than 1000 ranges");
}

namespace {

class FakeClock : public DriveClock {
 public:
  uint64_t NowUs() override { return now; }
  void SleepUs(uint32_t us) override {
    now += us;
    ++sleeps;
    if (abortAtUs && now >= abortAtUs) abort->store(true);
  }
  uint64_t now = 1000000;
  int sleeps = 0;
  uint64_t abortAtUs = 0;
  std::atomic<bool>* abort = nullptr;
};

class ZeroFile : public ImageFile {
 public:
  bool ReadAt(uint64_t, uint8_t* out, size_t n, std::wstring&) override {
    std::memset(out, 0, n);
    return true;
  }
};

std::unique_ptr<ImageDevice> Silence(uint32_t frames) {
  ImageLayout l;
  l.disc.tracks = {{1, true, 0, frames}};
  l.disc.leadOutLba = frames;
  l.segments = {{0, frames, 0, 0, kSectorBytes, false}};
  std::vector<std::unique_ptr<ImageFile>> files;
  files.push_back(std::make_unique<ZeroFile>());
  return std::make_unique<ImageDevice>(l, std::move(files));
}

}  // namespace

// 8x delivers 8 x 176,400 bytes a second, whether asked in one read or many;
// time the caller spends elsewhere is not owed afterwards; an abort ends
// the wait within one slice.
TEST(DriveFaults, SpeedPacesReadsAndAnAbortEndsTheWait) {
  auto clock = std::make_shared<FakeClock>();
  auto dev = Silence(3000);
  DriveFaults f;
  f.speed = 8;
  dev->SetFaults(f, clock);
  std::vector<uint8_t> buf(64 * kSectorBytes);
  std::wstring error;
  uint64_t t0 = clock->now;
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(dev->ReadFrames(uint32_t(i) * 60, 60, buf.data(), error));
  // 600 frames = 1,411,200 bytes = 1 s at 8x.
  EXPECT_NEAR(double(clock->now - t0), 1e6, 1000);
  clock->now += 5000000;  // the drive stood idle
  t0 = clock->now;
  ASSERT_TRUE(dev->ReadFrames(0, 60, buf.data(), error));
  EXPECT_NEAR(double(clock->now - t0), 1e5, 1000);

  f.speed = 0.1;  // 60 frames take 8 s
  std::atomic<bool> abort{false};
  dev->SetFaults(f, clock);
  dev->WatchAbort(&abort);
  clock->abort = &abort;
  clock->abortAtUs = clock->now + 200000;
  t0 = clock->now;
  EXPECT_FALSE(dev->ReadFrames(0, 60, buf.data(), error));
  EXPECT_LE(clock->now - t0, 200000u + 10001u);

  // Without a speed the clock is never asked to wait.
  clock->sleeps = 0;
  dev->SetFaults(DriveFaults{}, clock);
  ASSERT_TRUE(dev->ReadFrames(0, 64, buf.data(), error));
  EXPECT_EQ(clock->sleeps, 0);
}

// Flaky sectors go wrong only on their first reads, each time differently;
// random ones never read alike, and the rest of a read is untouched.
TEST(DriveFaults, FlakyAndRandomSectorsReadAsConfigured) {
  auto dev = Silence(20);
  DriveFaults f;
  f.flaky = {{3, 2, 2}};
  f.random = {{10, 1}};
  dev->SetFaults(f);
  std::vector<std::vector<uint8_t>> reads;
  std::wstring error;
  for (int i = 0; i < 4; ++i) {
    reads.emplace_back(12 * kSectorBytes);
    ASSERT_TRUE(dev->ReadFrames(0, 12, reads.back().data(), error));
  }
  auto sector = [&](int read, int s) {
    return std::vector<uint8_t>(reads[read].begin() + s * kSectorBytes, reads[read].begin() + (s + 1) * kSectorBytes);
  };
  std::vector<uint8_t> zero(kSectorBytes, 0);
  for (int s : {3, 4}) {
    EXPECT_NE(sector(0, s), zero);
    EXPECT_NE(sector(1, s), zero);
    EXPECT_NE(sector(0, s), sector(1, s));
    EXPECT_EQ(sector(2, s), zero);
    EXPECT_EQ(sector(3, s), zero);
  }
  for (int r = 0; r < 4; ++r) {
    EXPECT_NE(sector(r, 10), zero);
    for (int q = 0; q < r; ++q) EXPECT_NE(sector(r, 10), sector(q, 10));
    for (int s : {0, 2, 5, 9, 11}) EXPECT_EQ(sector(r, s), zero) << s;
  }
}
