// The management exports against other programs that misbehave: a hung
// application or controller, a slow callback, an installation folder with
// a blank in its name.

#include <gtest/gtest.h>

#include "tests/win/menulink_mgmt/mgmt_bed.h"

namespace {

// A thread of this process whose windows stop answering: an application
// window with File and Edit but no Paste yet (the listing asks it to fill
// its Edit menu) and a controller window.
class HungPeers {
 public:
  HungPeers() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
  }
  ~HungPeers() {
    SetEvent(release_);
    WaitForSingleObject(thread_, 70000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    CloseHandle(release_);
  }
  bool StillHung() const { return WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT && !resumed_; }

 private:
  static DWORD WINAPI Main(void* self) {
    auto* peers = static_cast<HungPeers*>(self);
    MenuWindow application("Hung Application", 0, MenuKind::PasteOnOpen);
    ControllerWindow controller(DefWindowProcA);
    SetEvent(peers->ready_);
    // Hung: no message is taken for a minute.
    WaitForSingleObject(peers->release_, 60000);
    peers->resumed_ = true;
    return 0;
  }
  HANDLE ready_, release_, thread_;
  volatile bool resumed_ = false;
};

TEST(Peers, AHungApplicationOrControllerDoesNotFreezeTheExports) {
  StoreGuard guard;
  ASSERT_EQ(Internals()->shared->hookedWindowCount, 0);
  HungPeers peers;
  ListModules();
  Gt().disable();  // tells the controller, nothing being served
  bool returnedWhileHung = peers.StillHung();
  Gt().enable();
  EXPECT_TRUE(returnedWhileHung);
}

volatile LONG callbacks, callbacksWithTableHeld;

DWORD WINAPI TryTable(void*) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "lxdirect_mutex");
  if (!mutex) return 2;
  DWORD r = WaitForSingleObject(mutex, 0);
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) ReleaseMutex(mutex);
  CloseHandle(mutex);
  return r == WAIT_TIMEOUT ? 1 : 0;
}

void WINAPI CheckTableIsFree(const char*, int32_t) {
  InterlockedIncrement(&callbacks);
  // Another process's view: the calling thread would own it recursively.
  HANDLE thread = CreateThread(nullptr, 0, TryTable, nullptr, 0, nullptr);
  WaitForSingleObject(thread, 10000);
  DWORD held = 0;
  GetExitCodeThread(thread, &held);
  CloseHandle(thread);
  if (held != 0) InterlockedIncrement(&callbacksWithTableHeld);
}

TEST(Peers, TheListingCallsBackWithTheTableFree) {
  StoreGuard guard;
  ASSERT_GE(AddRecord("EDITOR.EXE", "C:\\EDITOR.EXE", "Editor", true), 0);
  ASSERT_GE(AddRecord("VIEWER.EXE", "C:\\VIEWER.EXE", "Viewer", true), 0);
  callbacks = 0;
  callbacksWithTableHeld = 0;
  Gt().getModules(CheckTableIsFree);
  EXPECT_GE(callbacks, 2);
  EXPECT_EQ(callbacksWithTableHeld, 0);
}

TEST(Peers, AnInstallationFolderWithABlankStartsNoOtherProgram) {
  StoreGuard guard;
  ASSERT_EQ(FindWindowA("Korvane.Glyphtap16", nullptr), nullptr);
  // "Pro gram" does not exist, so it has no short form; "Pro.exe" stands
  // where an unquoted command line would find a program.
  std::string dir = CaseDir();
  ASSERT_TRUE(CopyFileA((BinDirA() + "lxtap16.exe").c_str(), (dir + "Pro.exe").c_str(), FALSE));
  WriteText(dir + "lxtap16.txt", "");
  SetInstallPath(dir + "Pro gram");
  ListModules();
  bool wrongProgram = WaitFor([] { return FindWindowA("Korvane.Glyphtap16", nullptr) != nullptr; }, 1000);
  if (HWND w = FindWindowA("Korvane.Glyphtap16", nullptr)) SendMessageA(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(wrongProgram);
}

}  // namespace
