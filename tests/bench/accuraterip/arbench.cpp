// The checksums a verified rip adds per track (v1, v2, CRC32 and the
// sector-450 checksum at every shift), as a ratio to reading the same bytes
// from a file in the page cache: the cheapest read the ripper ever makes.
// Best of several runs each, measured in this run.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "components/accuraterip/ar_checksum.h"

namespace {

constexpr size_t kSectors = 5 * 60 * 75;  // a five-minute track
constexpr size_t kBytes = kSectors * 2352;
constexpr size_t kPiece = 64 * 1024;
constexpr int kRuns = 7;

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(freq.QuadPart);
}

}  // namespace

int main() {
  std::vector<uint8_t> track(kBytes);
  uint32_t x = 12345;
  for (auto& b : track) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 16);

  wchar_t dir[MAX_PATH], path[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  GetTempFileNameW(dir, L"arb", 0, path);
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  DWORD put = 0;
  if (f == INVALID_HANDLE_VALUE || !WriteFile(f, track.data(), DWORD(kBytes), &put, nullptr) || put != kBytes) {
    std::printf("arbench: cannot write %ls\n", path);
    return 1;
  }
  CloseHandle(f);

  std::vector<uint8_t> buf(kPiece);
  double readBest = 1e9, sumBest = 1e9;
  uint32_t keep = 0;
  for (int run = 0; run < kRuns; ++run) {
    const double t0 = Now();
    HANDLE r = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    size_t total = 0;
    while (ReadFile(r, buf.data(), DWORD(kPiece), &got, nullptr) && got) {
      total += got;
      keep += buf[got - 1];
    }
    CloseHandle(r);
    const double t1 = Now();
    if (total != kBytes) {
      std::printf("arbench: read %zu of %zu bytes\n", total, kBytes);
      return 1;
    }
    if (t1 - t0 < readBest) readBest = t1 - t0;

    const double t2 = Now();
    ar::TrackChecksums sums(uint32_t(kBytes / 4), true, true);
    for (size_t at = 0; at < kBytes; at += kPiece) sums.Add(track.data() + at, kBytes - at < kPiece ? kBytes - at : kPiece);
    keep += sums.V1() ^ sums.V2() ^ sums.Crc() ^ sums.Frame450ByShift()[2939];
    const double t3 = Now();
    if (t3 - t2 < sumBest) sumBest = t3 - t2;
  }
  DeleteFileW(path);
  std::printf("   track: %zu sectors (%.1f MB); best of %d runs\n", kSectors, kBytes / 1e6, kRuns);
  std::printf("   read from file (page cache): %.1f ms\n", readBest * 1e3);
  std::printf("   checksums (v1, v2, CRC32, sector 450 at 5879 shifts): %.1f ms\n", sumBest * 1e3);
  std::printf("   checksums / read: %.2f  (check %08x)\n", sumBest / readBest, static_cast<unsigned>(keep));
  return 0;
}
