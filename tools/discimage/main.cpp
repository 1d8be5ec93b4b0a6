// discimage: writes a CUE sheet and its BIN file(s) of synthetic music with
// the chosen track lengths, and prints where each track starts.
//
//   discimage --out DIR/NAME.cue --tracks 5,12.5,180 [--seed N] [--split]
//             [--pregap SECONDS] [--drive-offset N] [--speed S] [--flaky A-B:K]
//             [--random A-B]
//
// A length written as dSECONDS (--tracks 5,12.5,d30) makes a data track.
// The drive options write NAME.drive beside the sheet, which makes the
// reader treat the image as a drive with those faults; without them no
// drive file is left behind.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "components/cdreader/drive_faults.h"
#include "tools/discimage/image_plan.h"

using namespace discimage;

namespace {

int Usage(const char* why) {
  std::fprintf(stderr,
               "discimage: %s\n"
               "usage: discimage --out DIR/NAME.cue --tracks S1,S2,... [--seed N] [--split]"
               " [--pregap SECONDS]\n"
               "                 [--drive-offset N] [--speed S] [--flaky A-B:K] [--random A-B]\n"
               "       a length dS is a data track of S seconds\n"
               "       drive options (repeat --flaky and --random) write NAME.drive beside the sheet:\n"
               "         --drive-offset N  the drive returns at its sample p the disc's sample p - N\n"
               "         --speed S         read speed, S x 176,400 bytes/s (e.g. 8x); 0 is full speed\n"
               "         --flaky A-B:K     sectors A..B (LBA) read wrong on their first K reads\n"
               "         --random A-B      sectors A..B read differently every time\n"
               "       NAME.drive holds one setting a line ('#' starts a comment):\n"
               "         offset N | speed Sx | flaky A[-B] K | random A[-B]\n",
               why);
  return 2;
}

bool ParseTracks(const std::string& s, std::vector<double>& out, std::vector<bool>& data) {
  size_t pos = 0;
  while (pos <= s.size()) {
    size_t comma = s.find(',', pos);
    std::string item = s.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    data.push_back(!item.empty() && item[0] == 'd');
    if (data.back()) item.erase(0, 1);
    char* end = nullptr;
    double v = std::strtod(item.c_str(), &end);
    if (item.empty() || *end || !(v > 0) || v > 80 * 60) return false;
    out.push_back(v);
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return !out.empty() && out.size() <= 99;
}

bool WriteAll(FILE* f, const void* data, size_t n) { return std::fwrite(data, 1, n, f) == n; }

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  std::vector<double> tracks;
  std::vector<bool> dataTracks;
  uint32_t seed = 1;
  bool split = false;
  double pregap = 0;
  cdr::DriveFaults faults;
  bool driveFile = false;
  auto driveSetting = [&](const char* key, const char* v) {
    std::wstring why;
    if (!v || !cdr::ParseDriveSetting(key, v, faults, why)) {
      std::string w(why.begin(), why.end());
      Usage((std::string("--") + (std::strcmp(key, "offset") == 0 ? "drive-offset" : key) + ": " +
             (v ? w : "needs a value"))
                .c_str());
      return false;
    }
    driveFile = true;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--out") {
      const char* v = value();
      if (!v) return Usage("--out needs a path");
      out = v;
    } else if (a == "--tracks") {
      const char* v = value();
      if (!v || !ParseTracks(v, tracks, dataTracks))
        return Usage("--tracks needs 1 to 99 comma-separated lengths in seconds");
    } else if (a == "--seed") {
      const char* v = value();
      if (!v) return Usage("--seed needs a number");
      seed = uint32_t(std::strtoul(v, nullptr, 10));
    } else if (a == "--split") {
      split = true;
    } else if (a == "--pregap") {
      const char* v = value();
      char* end = nullptr;
      pregap = v ? std::strtod(v, &end) : -1;
      if (!v || *end || pregap < 0 || pregap > 60) return Usage("--pregap needs 0 to 60 seconds");
    } else if (a == "--drive-offset") {
      if (!driveSetting("offset", value())) return 2;
    } else if (a == "--speed") {
      if (!driveSetting("speed", value())) return 2;
    } else if (a == "--flaky") {
      // A-B:K on the command line is "A-B K" in the drive file.
      const char* v = value();
      std::string text = v ? v : "";
      size_t colon = text.rfind(':');
      if (colon != std::string::npos) text[colon] = ' ';
      if (!driveSetting("flaky", v ? text.c_str() : nullptr)) return 2;
    } else if (a == "--random") {
      if (!driveSetting("random", value())) return 2;
    } else {
      return Usage(("unknown argument " + a).c_str());
    }
  }
  if (out.size() < 5 || out.compare(out.size() - 4, 4, ".cue") != 0)
    return Usage("--out must name a .cue file");
  if (tracks.empty()) return Usage("--tracks is required");
  size_t slash = out.find_last_of("/\\");
  std::string dir = slash == std::string::npos ? "" : out.substr(0, slash + 1);
  std::string base = out.substr(dir.size(), out.size() - dir.size() - 4);

  Plan plan = MakePlan(base, tracks, pregap, split, dataTracks);
  std::vector<FILE*> files;
  for (const std::string& name : plan.files) {
    FILE* f = std::fopen((dir + name).c_str(), "wb");
    if (!f) {
      std::fprintf(stderr, "discimage: cannot create %s%s: %s\n", dir.c_str(), name.c_str(),
                   std::strerror(errno));
      return 1;
    }
    files.push_back(f);
  }
  constexpr uint32_t kChunk = 75;
  std::vector<uint8_t> buf(kChunk * kFrameBytes);
  bool ok = true;
  for (const PlanTrack& t : plan.tracks) {
    FILE* f = files[t.file];
    for (uint32_t done = 0; ok && done < t.pregapFrames; done += kChunk) {
      uint32_t n = t.pregapFrames - done < kChunk ? t.pregapFrames - done : kChunk;
      PregapAudio(seed, t.number, done, n, buf.data());
      ok = WriteAll(f, buf.data(), size_t(n) * kFrameBytes);
    }
    for (uint32_t done = 0; ok && done < t.audioFrames; done += kChunk) {
      uint32_t n = t.audioFrames - done < kChunk ? t.audioFrames - done : kChunk;
      if (t.data)
        std::memset(buf.data(), 0, size_t(n) * kFrameBytes);
      else
        TrackAudio(seed, t.number, done, n, buf.data());
      ok = WriteAll(f, buf.data(), size_t(n) * kFrameBytes);
    }
  }
  for (FILE* f : files) ok = std::fclose(f) == 0 && ok;
  std::string cue = CueText(plan);
  FILE* c = std::fopen(out.c_str(), "wb");
  ok = ok && c && WriteAll(c, cue.data(), cue.size());
  if (c) ok = std::fclose(c) == 0 && ok;
  std::string drivePath = dir + base + ".drive";
  if (driveFile) {
    std::string text = "# the drive that reads " + base + ".cue\n" + cdr::DriveFaultsText(faults);
    FILE* d = ok ? std::fopen(drivePath.c_str(), "wb") : nullptr;
    ok = ok && d && WriteAll(d, text.data(), text.size());
    if (d) ok = std::fclose(d) == 0 && ok;
  } else {
    std::remove(drivePath.c_str());  // a drive file of an earlier image would still apply
  }
  if (!ok) {
    std::fprintf(stderr, "discimage: cannot write the image: %s\n", std::strerror(errno));
    return 1;
  }
  // Frame offsets (LBA + 150) are what disc identification counts in.
  for (size_t i = 0; i < plan.tracks.size(); ++i) {
    const PlanTrack& t = plan.tracks[i];
    uint32_t next = i + 1 < plan.tracks.size() ? plan.tracks[i + 1].startLba : plan.leadOutLba;
    std::printf("track %02d lba %u offset %u frames %u pregap %u%s\n", t.number, t.startLba, t.startLba + 150,
                next - t.startLba, t.pregapFrames, t.data ? " data" : "");
  }
  std::printf("leadout lba %u offset %u\n", plan.leadOutLba, plan.leadOutLba + 150);
  return 0;
}
