// GTGetRunningApps against Wine's own notepad, hooked through the
// controller stand-in; its message box is found and answered here.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/win/menulink_mgmt/mgmt_bed.h"

namespace {

struct BoxCall {
  HWND owner = nullptr;
  int32_t result = -1;
  DWORD thread = 0;
};

DWORD WINAPI AskRunningApps(void* arg) {
  auto* call = static_cast<BoxCall*>(arg);
  call->result = Gt().getRunningApps(call->owner);
  return 0;
}

struct FoundBox {
  HWND box = nullptr;
  std::string caption, text;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM out) {
  char cls[32], text[512];
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
    *reinterpret_cast<std::string*>(out) += text;
  return TRUE;
}

FoundBox FindBox(DWORD thread) {
  FoundBox found;
  WaitFor(
      [&] {
        struct Ctx {
          DWORD thread;
          HWND box;
        } ctx{thread, nullptr};
        EnumThreadWindows(
            thread,
            [](HWND w, LPARAM p) CALLBACK -> BOOL {
              char cls[16];
              GetClassNameA(w, cls, sizeof cls);
              if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
              reinterpret_cast<Ctx*>(p)->box = w;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&ctx));
        found.box = ctx.box;
        return found.box != nullptr;
      },
      10000);
  if (!found.box) return found;
  char caption[128];
  GetWindowTextA(found.box, caption, sizeof caption);
  found.caption = caption;
  EnumChildWindows(found.box, CollectStatic, reinterpret_cast<LPARAM>(&found.text));
  return found;
}

class ControllerRun {
 public:
  ControllerRun() {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "MenulinkController.Ready");
    ResetEvent(ready);
    std::string cmd = "\"" + BinDirA() + "controller.exe\" --dll \"" + BinDirA() +
                      "testlib\\menulink.dll\" --lifetime 120000 --stay";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
      started_ = WaitForSingleObject(ready, 15000) == WAIT_OBJECT_0;
    CloseHandle(ready);
  }
  ~ControllerRun() {
    if (!pi_.hProcess) return;
    if (HWND w = FindWindowA("Korvane.Glyphtap32", nullptr))
      PostMessageA(w, RegisterWindowMessageA("MenulinkController.Quit"), 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  bool started() const { return started_; }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

HWND StartNotepad(PROCESS_INFORMATION* pi) {
  char dir[MAX_PATH];
  GetSystemDirectoryA(dir, MAX_PATH);
  std::string cmd = std::string(dir) + "\\notepad.exe";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi))
    return nullptr;
  WaitForInputIdle(pi->hProcess, 10000);
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = nullptr;
        for (HWND w = FindWindowA("Notepad", nullptr); w; w = FindWindowExA(nullptr, w, "Notepad", nullptr)) {
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid == pi->dwProcessId) found = w;
        }
        return found != nullptr;
      },
      10000);
  return found;
}

TEST(RunningApps, NoSubclassedWindowGivesZeroWithoutABox) {
  StoreGuard store;
  ASSERT_EQ(Internals()->shared->hookedWindowCount, 0);
  AddRecord("NOTEPAD.EXE", "", "Notepad", true);
  BoxCall call;
  HANDLE t = CreateThread(nullptr, 0, AskRunningApps, &call, 0, &call.thread);
  // Without a window to look at it must return at once.
  ASSERT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  CloseHandle(t);
  EXPECT_EQ(call.result, 0);
}

TEST(RunningApps, HookedNotepadIsNamedCancelGivesOneRetryAfterCloseGivesZero) {
  StoreGuard store;
  ControllerRun controller;
  ASSERT_TRUE(controller.started());
  char dir[MAX_PATH];
  GetSystemDirectoryA(dir, MAX_PATH);
  Gt().registerNewApp((std::string(dir) + "\\notepad.exe").c_str());
  int slot = FindSlot("NOTEPAD.EXE");
  ASSERT_GE(slot, 0);

  PROCESS_INFORMATION pi = {};
  HWND notepad = StartNotepad(&pi);
  ASSERT_NE(notepad, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Internals()->shared->hookedWindowCount == 1; }, 10000))
      << Internals()->shared->hookedWindowCount;
  EXPECT_EQ(Slots()[slot].running, 1);

  BoxCall call;
  HANDLE t = CreateThread(nullptr, 0, AskRunningApps, &call, 0, &call.thread);
  FoundBox box = FindBox(call.thread);
  ASSERT_NE(box.box, nullptr);
  EXPECT_EQ(box.caption, "Glyphtap");
  EXPECT_NE(box.text.find("Notepad"), std::string::npos) << box.text;
  PostMessageA(box.box, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
  CloseHandle(t);
  EXPECT_EQ(call.result, 1);

  // In French, whose sentence is longer than the English one: whole, and
  // the application after it.
  SetIniValue("Settings", "UILang", "1");
  char french[512] = "";
  ASSERT_GT(Internals()->loadLocalString(312, 1, french, sizeof french), 150);
  call = BoxCall{};
  t = CreateThread(nullptr, 0, AskRunningApps, &call, 0, &call.thread);
  box = FindBox(call.thread);
  ASSERT_NE(box.box, nullptr);
  EXPECT_EQ(box.text.substr(0, std::strlen(french)), french);
  EXPECT_NE(box.text.find("Notepad", std::strlen(french)), std::string::npos) << box.text;
  PostMessageA(box.box, WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
  CloseHandle(t);
  SetIniValue("Settings", "UILang", "0");

  // Asked again; notepad is closed while the box is up, then Retry.
  call = BoxCall{};
  t = CreateThread(nullptr, 0, AskRunningApps, &call, 0, &call.thread);
  box = FindBox(call.thread);
  ASSERT_NE(box.box, nullptr);
  PostMessageA(notepad, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(WaitFor([&] { return Internals()->shared->hookedWindowCount == 0; }));
  PostMessageA(box.box, WM_COMMAND, IDRETRY, 0);
  ASSERT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
  CloseHandle(t);
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(Slots()[slot].running, 0);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

}  // namespace
