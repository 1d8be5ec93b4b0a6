// A fixture for drivers of wavequill's main window: a message box still open
// at the end is a failure, and Quit closes the program.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ripper/ui/form1_ids.h"
#include "tests/e2e/harness/e2e_harness.h"

namespace e2e {

class WavequillTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto& m : DismissMessageBoxes(proc, L"wavequill"))
      ADD_FAILURE() << "unexpected message: " << Utf8(m.text);
    if (form) Click(Ctl(kIdCommand6));
    proc.WaitExit(10000);
  }
  HWND Ctl(int id) { return GetDlgItem(form, id); }
  // Opens the folder C:\name in the folder list, the session's output folder.
  void OpenOutputFolder(const std::wstring& name) {
    HWND dir1 = Ctl(kIdDir1);
    int at = FindListItem(dir1, [&](const std::wstring& s) { return s == name; });
    ASSERT_GE(at, 0) << "no " << Utf8(name) << " in the folder list";
    ASSERT_TRUE(DoubleClickListItem(dir1, at));
    ASSERT_TRUE(WaitFor([&] {
      std::vector<std::wstring> d = ListBoxItems(dir1);
      return d.size() == 2 && d[1] == name;
    }));
  }

  Process proc;
  HWND form = nullptr;  // the main window
};

}  // namespace e2e
