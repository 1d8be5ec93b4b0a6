// The controller stand-in's management commands, run as a person would.

#include <gtest/gtest.h>

#include "tests/win/menulink_mgmt/mgmt_bed.h"

namespace {

struct ControllerRun {
  DWORD exitCode = 99;
  std::string out;
};

ControllerRun Controller(const std::string& args) {
  ControllerRun r;
  std::string outFile = CaseDir() + "controller.out";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  std::string cmd =
      "\"" + BinDirA() + "controller.exe\" --dll \"" + BinDirA() + "testlib\\menulink.dll\" " + args;
  PROCESS_INFORMATION pi = {};
  BOOL ok = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(out);
  if (!ok) return r;
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 98);
  GetExitCodeProcess(pi.hProcess, &r.exitCode);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  for (char c : ReadText(outFile))
    if (c != '\r') r.out += c;
  return r;
}

TEST(ControllerCommands, ManageTheSharedTable) {
  StoreGuard store;
  char dir[MAX_PATH];
  GetSystemDirectoryA(dir, MAX_PATH);
  std::string notepad = std::string(dir) + "\\notepad.exe";
  AddRecord("EDIT.EXE", "", "Old Editor", false);

  ControllerRun r = Controller("register \"" + notepad + "\" register \"Old Editor\" list save running");
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, "registered\tOld Editor\nregistered\tNotepad\nsave 0\nrunning 0\n");
  // The table is this process's too.
  ASSERT_GE(FindSlot("NOTEPAD.EXE"), 0);
  EXPECT_EQ(Slots()[FindSlot("NOTEPAD.EXE")].enabled, 1);

  r = Controller("unregister Notepad disable enable shutdown");
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, "disable 0\nshutdown 1\n");
  EXPECT_EQ(Slots()[FindSlot("NOTEPAD.EXE")].enabled, 0);
  EXPECT_EQ(Internals()->shared->featureDisabled, 0);
}

TEST(ControllerCommands, BadCommandsAreRefused) {
  StoreGuard store;
  EXPECT_EQ(Controller("list bogus").exitCode, 2u);
  ControllerRun r = Controller("register");
  EXPECT_EQ(r.exitCode, 2u);
  EXPECT_NE(r.out.find("needs a name"), std::string::npos) << r.out;
}

}  // namespace
