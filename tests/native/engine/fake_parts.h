// Scripted stand-ins for the CD reader, the encoder and the CDDB client that
// a session drives. Their events go through the world's queue (the UI
// thread's message queue under Windows, a plain queue natively), so they
// reach the session while it waits, as the real components' events do.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ripper/engine/session.h"
#include "tests/common/idle_reader.h"

using Event = std::function<void()>;

// The main window the parts report to, with the queue and the folder.
class FakeWorld : public SessionHost {
 public:
  virtual void Post(Event e) = 0;
  virtual void PutFile(const std::wstring& path, long long bytes) = 0;

 protected:
  ~FakeWorld() = default;
};

// What one read does.
struct ReadScript {
  int16_t status = 0;              // returned by ReadTrackToWav
  long long wavBytes = 44 + 4000;  // written at the path; -1 writes nothing
  std::vector<int32_t> progress{250, 500, 1000};
  enum End { Done, Error, Nothing } end = Done;
  int32_t errorCode = 0;
  std::wstring errorMessage;
  Event during;  // queued after the progress events
};

struct EncodeScript {
  int16_t setFilesStatus = 0;
  std::vector<int32_t> progress{50, 100, 200};
  bool done = true;  // raise EncodeDone and write the MP3
  Event during;
};

class FakeReader final : public IdleReader {
 public:
  explicit FakeReader(FakeWorld& w) : w_(w) {}
  std::map<int, ReadScript> scripts;  // by track; others read normally
  std::vector<std::wstring> calls;
  std::function<void(int track)> onRead;  // runs inside ReadTrackToWav
  // Writes the WAV instead of wavBytes filler bytes (for the real encoder).
  std::function<void(const std::wstring& wavPath)> writeWav;

  // Verified rips: the proof of each track's read, and the options set.
  std::map<int, TrackProof> proofs;
  std::vector<ReadOptions> readOptions;
  bool haveToc = true;

  int16_t TrackCount() override { return 9; }
  int32_t TrackLength(int16_t) override { return 60000; }
  void BeginSession() override { calls.push_back(L"BeginSession"); }
  int16_t ReadTrackToWav(int16_t track, const std::wstring& wavPath) override {
    calls.push_back(L"Read " + std::to_wstring(track) + L" " + wavPath);
    if (onRead) onRead(track);
    const ReadScript s = scripts[track];
    if (s.wavBytes >= 0) writeWav ? writeWav(wavPath) : w_.PutFile(wavPath, s.wavBytes);
    FakeWorld* w = &w_;
    for (int32_t p : s.progress) w_.Post([w, p] { SessionReadProgress(*w, p); });
    if (s.during) w_.Post(s.during);
    if (s.end == ReadScript::Done)
      w_.Post([this, w, track] {
        provenTrack_ = track;
        SessionReadDone(*w);
      });
    if (s.end == ReadScript::Error) w_.Post([w, s] { SessionReadError(*w, s.errorCode, s.errorMessage); });
    return s.status;
  }
  void AbortRead() override { calls.push_back(L"AbortRead"); }
  void EndSession() override { calls.push_back(L"EndSession"); }
  bool SelectedToc(DiscToc& toc) override {
    if (!haveToc) return false;
    toc.trackStartLba = {0, 15000, 30000};
    toc.leadOutLba = 45000;
    return true;
  }
  void SetReadOptions(const ReadOptions& o) override { readOptions.push_back(o); }
  // As the real reader: the last read that ended with ReadDone.
  TrackProof LastTrackProof() override {
    if (provenTrack_ < 1) return {};
    TrackProof p = proofs[provenTrack_];
    p.valid = true;
    return p;
  }

 private:
  FakeWorld& w_;
  int provenTrack_ = 0;
};

// The AccurateRip database: answers each lookup with answer through the queue.
class FakeArDb final : public AccurateRipDb {
 public:
  explicit FakeArDb(FakeWorld& w) : w_(w) {}
  ArLookupResult answer;
  int16_t beginStatus = 0;  // non-zero: refused, no event
  bool answers = true;      // false: hangs until AbortLookup
  Event during;             // queued before the answer
  std::vector<std::wstring> calls;

  void SetEvents(AccurateRipEvents*) override {}
  void SetServer(const std::wstring& url) override { calls.push_back(L"SetServer " + url); }
  int16_t BeginLookup(const DiscToc& toc) override {
    calls.push_back(L"BeginLookup " + std::to_wstring(toc.trackStartLba.size()));
    aborted_ = false;
    if (beginStatus != 0) return beginStatus;
    if (during) w_.Post(during);
    FakeWorld* w = &w_;
    if (answers) w_.Post([w] { SessionLookupDone(*w); });
    return 0;
  }
  void AbortLookup() override {
    calls.push_back(L"AbortLookup");
    aborted_ = true;
    FakeWorld* w = &w_;
    w_.Post([w] { SessionLookupDone(*w); });
  }
  ArLookupResult Result() override {
    if (beginStatus != 0) return ArLookupResult{ArLookupStatus::Failed, {}, {}, L"refused"};
    if (aborted_) return ArLookupResult{ArLookupStatus::Aborted, {}, {}, {}};
    return answer;
  }

 private:
  FakeWorld& w_;
  bool aborted_ = false;
};

class FakeEncoder final : public Mp3Encoder {
 public:
  explicit FakeEncoder(FakeWorld& w) : w_(w) {}
  // Another slot of the same world: scripts, calls and tags are the first's.
  FakeEncoder(FakeWorld& w, FakeEncoder& first, int slot) : w_(w), first_(&first), slot_(slot) {}
  std::map<std::wstring, EncodeScript> scripts;  // by WAV path
  std::vector<std::wstring> calls;
  std::vector<Mp3Tags> tags;
  int32_t total = 200;
  bool running = false;  // between StartEncoding and its EncodeDone or AbortEncoding
  int aborts = 0;

  // Ends a held encode (EncodeScript::done false): the MP3 written or not.
  void Finish(bool writeMp3) {
    running = false;
    if (writeMp3) w_.PutFile(mp3_, 1000);
    SessionEncodeDone(w_, slot_);
  }
  const std::wstring& Wav() const { return wav_; }

  void SetEvents(Mp3EncoderEvents*) override {}
  void SetBitRateKbit(int16_t kbit) override { Calls().push_back(L"BitRate " + std::to_wstring(kbit)); }
  int16_t SetFiles(const std::wstring& wavPath, const std::wstring& mp3Path) override {
    Calls().push_back(L"SetFiles " + wavPath + L" " + mp3Path);
    wav_ = wavPath;
    mp3_ = mp3Path;
    return Scripts()[wavPath].setFilesStatus;
  }
  void StartEncoding() override {
    Calls().push_back(L"StartEncoding");
    running = true;
    const EncodeScript s = Scripts()[wav_];
    FakeWorld* w = &w_;
    const int slot = slot_;
    for (int32_t d : s.progress) w_.Post([w, slot, d] { SessionEncodeProgress(*w, slot, d); });
    if (s.during) w_.Post(s.during);
    if (s.done)
      w_.Post([this, w, slot, mp3 = mp3_] {
        running = false;
        w->PutFile(mp3, 1000);
        SessionEncodeDone(*w, slot);
      });
  }
  void AbortEncoding() override {
    Calls().push_back(L"AbortEncoding");
    running = false;
    ++aborts;
  }
  int32_t ProgressTotal() override { return first_ ? first_->total : total; }
  void SetTags(const Mp3Tags& t) override { (first_ ? first_->tags : tags).push_back(t); }

 private:
  std::map<std::wstring, EncodeScript>& Scripts() { return first_ ? first_->scripts : scripts; }
  std::vector<std::wstring>& Calls() { return first_ ? first_->calls : calls; }
  FakeWorld& w_;
  FakeEncoder* first_ = nullptr;
  int slot_ = 0;
  std::wstring wav_, mp3_;
};

class FakeCddb final : public CddbClient {
 public:
  std::map<int16_t, std::wstring> titles;
  void SetClientName(const std::wstring&) override {}
  void SetConnection(const std::wstring&) override {}
  std::wstring DiscTitle() override { return L"Fake disc"; }
  int16_t CddbTrackCount() override { return static_cast<int16_t>(titles.size()); }
  std::wstring TrackTitle(int16_t& track) override { return titles[track]; }
  void SetEmail(const std::wstring&) override {}
  std::wstring LastError() override { return {}; }
};
