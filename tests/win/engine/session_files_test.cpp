#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ripper/engine/session_log.h"

namespace {

class SessionFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    dir_ = std::wstring(tmp) + L"wq_session_files_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::wstring& f : made_) {
      SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(f.c_str());
    }
    RemoveDirectoryW(dir_.c_str());
  }
  // A file of `bytes` bytes, as a track's WAV would be.
  std::wstring Make(const wchar_t* name, DWORD bytes) {
    std::wstring path = dir_ + L"\\" + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<char> block(1 << 20, 'w');
    for (DWORD left = bytes; left > 0;) {
      DWORD n = left < block.size() ? left : DWORD(block.size()), wrote = 0;
      WriteFile(h, block.data(), n, &wrote, nullptr);
      left -= n;
    }
    CloseHandle(h);
    made_.push_back(path);
    return path;
  }
  static bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::wstring dir_;
  std::vector<std::wstring> made_;
};

TEST_F(SessionFilesTest, DeletedFilesAreGoneWhenTheLogClosesAndRefusalsAreToldAtOnce) {
  DiskSessionFiles files;
  ASSERT_TRUE(files.OpenLog(dir_ + L"\\session.log"));
  made_.push_back(dir_ + L"\\session.log");
  std::vector<std::wstring> wavs;
  for (int i = 0; i < 8; ++i) wavs.push_back(Make((L"t" + std::to_wstring(i) + L".wav").c_str(), 8u << 20));
  for (const std::wstring& w : wavs) EXPECT_TRUE(files.Delete(w));
  EXPECT_TRUE(files.Delete(dir_ + L"\\never there.wav"));

  // Read-only, and held open by someone who does not share deletion: both
  // refused now, and both still there after the session.
  const std::wstring locked = Make(L"locked.wav", 4096), readOnly = Make(L"readonly.wav", 4096);
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files.Delete(locked));
  EXPECT_FALSE(files.Delete(readOnly));
  EXPECT_FALSE(files.Delete(dir_));  // a folder is no WAV file

  files.CloseLog();
  for (const std::wstring& w : wavs) EXPECT_FALSE(Exists(w)) << "left behind";
  EXPECT_TRUE(Exists(locked));
  EXPECT_TRUE(Exists(readOnly));
  CloseHandle(holder);
}

TEST_F(SessionFilesTest, FilesLetGoWithoutACloseAreGoneToo) {
  std::vector<std::wstring> wavs;
  {
    DiskSessionFiles files;
    for (int i = 0; i < 4; ++i) {
      wavs.push_back(Make((L"u" + std::to_wstring(i) + L".wav").c_str(), 4u << 20));
      EXPECT_TRUE(files.Delete(wavs.back()));
    }
  }
  for (const std::wstring& w : wavs) EXPECT_FALSE(Exists(w));
}

}  // namespace
