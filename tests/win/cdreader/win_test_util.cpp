#include "win_test_util.h"

#include "ripper/engine/ui_dispatch.h"

TempDir::TempDir() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int n = 0;
  path = std::wstring(tmp) + L"cdreader-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++n);
  CreateDirectoryW(path.c_str(), nullptr);
}

TempDir::~TempDir() {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(File(fd.cFileName).c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(path.c_str());
}

namespace {

void WriteBytes(HANDLE h, const void* data, size_t n) {
  DWORD put = 0;
  WriteFile(h, data, DWORD(n), &put, nullptr);
}

}  // namespace

void WriteText(const std::wstring& path, const std::string& text) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  WriteBytes(h, text.data(), text.size());
  CloseHandle(h);
}

std::wstring WriteImage(const TempDir& dir, const discimage::Plan& plan, uint32_t seed) {
  std::vector<HANDLE> files;
  for (const auto& name : plan.files)
    files.push_back(CreateFileW(dir.File(std::wstring(name.begin(), name.end())).c_str(),
                                GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
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
  WriteText(cue, discimage::CueText(plan));
  return cue;
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
  std::vector<uint8_t> out;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return out;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  out.resize(size_t(size.QuadPart));
  DWORD got = 0;
  if (!out.empty()) ReadFile(h, out.data(), DWORD(out.size()), &got, nullptr);
  out.resize(got);
  CloseHandle(h);
  return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  return true;
}

void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

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
