// The session's data path built natively from the same pure code (CUE
// sheet, image drive, read loop, WAV header, progress arithmetic) and the
// same LAME version, for callgrind: instruction counts do not depend on
// what else the machine is doing. Per track it reads the image into a WAV
// file, then encodes that file as the encoder does (same chunk, same
// settings, same progress rule); afterwards the plain loop encodes the same
// WAV files again. run.sh reads the counts of each function.
//   native_path DISC.cue WORKDIR
#include <fcntl.h>
#include <lame/lame.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "components/cdreader/cue_sheet.h"
#include "components/cdreader/image_device.h"
#include "components/cdreader/progress_pace.h"
#include "components/cdreader/track_read.h"
#include "components/mp3enc/progress.h"
#include "components/mp3enc/wav_header.h"

namespace {

constexpr uint32_t kChunkFrames = kProgressBlockFrames * 16;  // as the encoder

class FdImageFile : public cdr::ImageFile {
 public:
  explicit FdImageFile(int fd) : fd_(fd) {}
  ~FdImageFile() override { close(fd_); }
  bool ReadAt(uint64_t offset, uint8_t* out, size_t bytes, std::wstring& error) override {
    return pread(fd_, out, bytes, off_t(offset)) == ssize_t(bytes);
  }

 private:
  int fd_;
};

class FdWavSink : public cdr::WavSink {
 public:
  explicit FdWavSink(int fd) : fd_(fd) {}
  ~FdWavSink() override { close(fd_); }
  bool Append(const uint8_t* data, size_t bytes, std::wstring&) override {
    return write(fd_, data, bytes) == ssize_t(bytes);
  }
  bool RewriteHeader(const uint8_t* header, size_t bytes, std::wstring&) override {
    return pwrite(fd_, header, bytes, 0) == ssize_t(bytes);
  }

 private:
  int fd_;
};

class FdByteSource : public ByteSource {
 public:
  explicit FdByteSource(int fd) : fd_(fd) { size_ = uint64_t(lseek(fd, 0, SEEK_END)); }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t n) override {
    ssize_t got = pread(fd_, buffer, n, off_t(offset));
    return got > 0 ? size_t(got) : 0;
  }

 private:
  int fd_;
  uint64_t size_ = 0;
};

long g_posts = 0;  // what would go to the user-interface thread

__attribute__((noinline)) bool ReadTrack(cdr::ImageDevice& device, const cdr::DiscTrack& t,
                                         const std::string& wav) {
  int fd = open(wav.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  FdWavSink sink(fd);
  std::atomic<bool> abort{false};
  cdr::ProgressPacer pacer;
  uint64_t clock = 0;  // no real clock: a value per chunk, 1 ms apart
  auto r = cdr::ReadTrackFrames(device, t.startLba, t.endLba, sink, abort, [&](int32_t pm) {
    if (pacer.ShouldPost(pm, ++clock)) ++g_posts;
  });
  return r.outcome == cdr::ReadOutcome::Done;
}

lame_t NewLame(const WavInfo& info) {
  lame_t l = lame_init();
  lame_set_num_channels(l, info.channels);
  lame_set_in_samplerate(l, int(info.sampleRate));
  lame_set_num_samples(l, (unsigned long)info.frames);
  lame_set_VBR(l, vbr_off);
  lame_set_brate(l, 128);
  lame_set_quality(l, 3);
  lame_set_findReplayGain(l, 1);
  lame_set_bWriteVbrTag(l, 1);
  lame_set_write_id3tag_automatic(l, 0);
  lame_set_asm_optimizations(l, SSE, 0);
  lame_init_params(l);
  return l;
}

// The encoder's loop: header parsed, chunks read, LAME, output written,
// progress thinned to one event a percent, info frame written at the end.
__attribute__((noinline)) bool EncodeTrack(const std::string& wav, const std::string& mp3) {
  int in = open(wav.c_str(), O_RDONLY);
  if (in < 0) return false;
  FdByteSource source(in);
  const WavInfo info = ParseWavHeader(source);
  if (info.status != WavStatus::Ok) return false;
  int out = open(mp3.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  lame_t l = NewLame(info);
  std::vector<short> pcm(size_t(kChunkFrames) * info.channels);
  std::vector<unsigned char> buf(kChunkFrames * 5 / 4 + 7200);
  const int32_t total = ProgressTotalFor(info.frames);
  ProgressThrottle throttle(total);
  uint64_t tick = 0;  // no real clock: a value per chunk, 1 ms apart
  lseek(in, off_t(info.dataOffset), SEEK_SET);
  bool ok = true;
  uint64_t done = 0;
  while (ok && done < info.frames) {
    const uint32_t frames = uint32_t(std::min<uint64_t>(info.frames - done, kChunkFrames));
    const ssize_t bytes = ssize_t(frames) * info.blockAlign;
    ok = read(in, pcm.data(), size_t(bytes)) == bytes;
    const int n = lame_encode_buffer_interleaved(l, pcm.data(), int(frames), buf.data(), int(buf.size()));
    ok = ok && n >= 0 && write(out, buf.data(), size_t(n)) == n;
    done += frames;
    const int32_t d = ProgressDoneFor(done, info.frames);
    if (d < total && throttle.ShouldReport(d, ++tick)) ++g_posts;
  }
  const int n = lame_encode_flush(l, buf.data(), int(buf.size()));
  ok = ok && n >= 0 && write(out, buf.data(), size_t(n)) == n;
  unsigned char tag[2880];
  const size_t t = lame_get_lametag_frame(l, tag, sizeof tag);
  ok = ok && pwrite(out, tag, t, 0) == ssize_t(t);
  if (throttle.ShouldReport(total, tick)) ++g_posts;
  fsync(out);
  lame_close(l);
  close(out);
  close(in);
  return ok && rename(mp3.c_str(), (mp3 + ".done").c_str()) == 0;
}

// The plain loop: the same WAV through the same LAME, nothing else.
__attribute__((noinline)) bool PlainTrack(const std::string& wav, const std::string& mp3) {
  int in = open(wav.c_str(), O_RDONLY);
  if (in < 0) return false;
  int out = open(mp3.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const uint64_t frames = uint64_t(lseek(in, 0, SEEK_END) - 44) / 4;
  lseek(in, 44, SEEK_SET);
  WavInfo info;
  info.channels = 2;
  info.sampleRate = 44100;
  info.frames = frames;
  lame_t l = NewLame(info);
  std::vector<short> pcm(size_t(kChunkFrames) * 2);
  std::vector<unsigned char> buf(kChunkFrames * 5 / 4 + 7200);
  ssize_t got;
  bool ok = true;
  while (ok && (got = read(in, pcm.data(), kChunkFrames * 4)) > 0) {
    const int n = lame_encode_buffer_interleaved(l, pcm.data(), int(got / 4), buf.data(), int(buf.size()));
    ok = n >= 0 && write(out, buf.data(), size_t(n)) == n;
  }
  const int n = lame_encode_flush(l, buf.data(), int(buf.size()));
  ok = ok && n >= 0 && write(out, buf.data(), size_t(n)) == n;
  unsigned char tag[2880];
  const size_t t = lame_get_lametag_frame(l, tag, sizeof tag);
  ok = ok && pwrite(out, tag, t, 0) == ssize_t(t);
  lame_close(l);
  close(out);
  close(in);
  return ok;
}

__attribute__((noinline)) bool Session(cdr::ImageDevice& device, const cdr::DiscInfo& disc,
                                       const std::string& dir) {
  for (int t = 1; t <= disc.AudioCount(); ++t) {
    const std::string wav = dir + "/Track" + std::to_string(t) + ".wav";
    if (!ReadTrack(device, *disc.Audio(t), wav)) return false;
    if (!EncodeTrack(wav, dir + "/Track" + std::to_string(t) + ".mp3")) return false;
  }
  return true;
}

__attribute__((noinline)) bool PlainLoop(const cdr::DiscInfo& disc, const std::string& dir) {
  for (int t = 1; t <= disc.AudioCount(); ++t) {
    const std::string base = dir + "/Track" + std::to_string(t);
    if (!PlainTrack(base + ".wav", base + ".plain.mp3")) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: native_path DISC.cue WORKDIR\n");
    return 2;
  }
  std::ifstream cueFile(argv[1], std::ios::binary);
  std::stringstream text;
  text << cueFile.rdbuf();
  cdr::CueSheet sheet;
  std::wstring why;
  if (!cdr::ParseCueSheet(text.str(), sheet, why)) return 1;
  std::string folder = argv[1];
  folder = folder.substr(0, folder.find_last_of('/') + 1);
  std::vector<std::unique_ptr<cdr::ImageFile>> files;
  std::vector<uint64_t> sizes;
  for (const auto& f : sheet.files) {
    int fd = open((folder + f.name).c_str(), O_RDONLY);
    if (fd < 0) return 1;
    sizes.push_back(uint64_t(lseek(fd, 0, SEEK_END)));
    files.push_back(std::make_unique<FdImageFile>(fd));
  }
  cdr::ImageLayout layout;
  if (!cdr::BuildImageLayout(sheet, sizes, layout, why)) return 1;
  cdr::ImageDevice device(layout, std::move(files));
  if (!Session(device, layout.disc, argv[2])) return 1;
  if (!PlainLoop(layout.disc, argv[2])) return 1;
  printf("posts=%ld\n", g_posts);
  return 0;
}
