#include "win_test_util.h"

#include "ripper/engine/ui_dispatch.h"

namespace {

void WriteBytes(HANDLE h, const void* data, size_t n) {
  DWORD put = 0;
  WriteFile(h, data, DWORD(n), &put, nullptr);
}

}  // namespace

std::wstring WriteImage(const ScratchDir& dir, const discimage::Plan& plan, uint32_t seed) {
  std::vector<HANDLE> files;
  for (const auto& name : plan.files)
    files.push_back(CreateFileW(dir.File(std::wstring(name.begin(), name.end())).c_str(), GENERIC_WRITE, 0,
                                nullptr, CREATE_ALWAYS, 0, nullptr));
  std::vector<uint8_t> buf;
  for (const auto& t : plan.tracks) {
    buf.assign(size_t(t.pregapFrames) * discimage::kFrameBytes, 0);
    discimage::PregapAudio(seed, t.number, 0, t.pregapFrames, buf.data());
    WriteBytes(files[t.file], buf.data(), buf.size());
    buf.assign(size_t(t.audioFrames) * discimage::kFrameBytes, 0);
    discimage::TrackAudio(seed, t.number, 0, t.audioFrames, buf.data());
    WriteBytes(files[t.file], buf.data(), buf.size());
  }
  for (HANDLE h : files) CloseHandle(h);
  std::wstring cue = dir.File(std::wstring(plan.baseName.begin(), plan.baseName.end()) + L".cue");
  WriteAll(cue, discimage::CueText(plan));
  return cue;
}

void Recorder::ReadProgress(int32_t perMille) {
  events.push_back({Recorded::Progress, perMille, L"", OnUiThread()});
}

void Recorder::ReadDone() {
  events.push_back({Recorded::Done, 0, L"", OnUiThread()});
  if (onFinal) onFinal();
}

void Recorder::ReadError(int32_t code, const std::wstring& message) {
  events.push_back({Recorded::Error, code, message, OnUiThread()});
  if (onFinal) onFinal();
}

int Recorder::Finals() const {
  int n = 0;
  for (const auto& e : events) n += e.kind != Recorded::Progress;
  return n;
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(c < 128 ? char(c) : '?');
  return s;
}
