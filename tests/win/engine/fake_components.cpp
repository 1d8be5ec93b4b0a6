#include "fake_components.h"

#include "ripper/engine/session.h"
#include "ripper/engine/ui_dispatch.h"

int16_t FakeReader::ReadTrackToWav(int16_t track, const std::wstring& wavPath) {
  calls.push_back(L"Read " + std::to_wstring(track) + L" " + wavPath);
  if (onRead) onRead(track);
  ReadScript s = scripts.count(track) ? scripts[track] : ReadScript{};
  if (s.wavBytes >= 0) {
    if (writeWav)
      writeWav(wavPath);
    else
      WriteBytes(wavPath, s.wavBytes);
  }
  FakeHost* host = &host_;
  for (int32_t p : s.progress) UiPost([host, p] { SessionReadProgress(*host, p); });
  if (s.during) UiPost(s.during);
  if (s.end == ReadScript::Done) UiPost([host] { SessionReadDone(*host); });
  if (s.end == ReadScript::Error) {
    int32_t code = s.errorCode;
    std::wstring msg = s.errorMessage;
    UiPost([host, code, msg] { SessionReadError(*host, code, msg); });
  }
  return s.status;
}

int16_t FakeEncoder::SetFiles(const std::wstring& wavPath, const std::wstring& mp3Path) {
  calls.push_back(L"SetFiles " + wavPath + L" " + mp3Path);
  wav_ = wavPath;
  mp3_ = mp3Path;
  return scripts.count(wavPath) ? scripts[wavPath].setFilesStatus : 0;
}

void FakeEncoder::StartEncoding() {
  calls.push_back(L"StartEncoding");
  if (onStart) onStart();
  EncodeScript s = scripts.count(wav_) ? scripts[wav_] : EncodeScript{};
  FakeHost* host = &host_;
  for (int32_t d : s.progress) UiPost([host, d] { SessionEncodeProgress(*host, d); });
  if (s.during) UiPost(s.during);
  if (s.done) {
    std::wstring mp3 = mp3_;
    UiPost([host, mp3] {
      WriteBytes(mp3, 1000);
      SessionEncodeDone(*host);
    });
  }
}

FakeHost::FakeHost() {
  folder = NewTempFolder(L"wq_session_");
  main = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 50, 500, 380, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
  state.BarFullWidth = 3495.0f;
}

FakeHost::~FakeHost() {
  if (main) DestroyWindow(main);
  RemoveFolder(folder);
}

int FakeHost::TrackListSelectedCount() {
  int n = 0;
  for (bool b : selected) n += b ? 1 : 0;
  return n;
}

long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
  return static_cast<long>(d.nFileSizeLow);
}

bool WriteBytes(const std::wstring& path, long bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string data(static_cast<size_t>(bytes), 'w');
  DWORD n = 0;
  BOOL ok = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
  CloseHandle(f);
  return ok && n == data.size();
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      out.push_back(text.substr(at));  // an unterminated line shows up as such
      break;
    }
    out.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}
