// What a session needs around it on the test's (the UI) thread: the event
// dispatcher, the progress window for host, and message boxes recorded in
// messages instead of shown.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_components.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/ui_dispatch.h"
#include "ripper/engine/user_message.h"

class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UiDispatchInit());
    SetUserMessageHook([this](const std::wstring& text, UINT flags) { return OnMessage(text, flags); });
    ProgressWindowPrepare(host);
  }
  void TearDown() override {
    ProgressWindowUnload();
    SetUserMessageHook(nullptr);
    UiDispatchShutdown();
  }

  // A message box the session shows: recorded and answered with OK.
  virtual int OnMessage(const std::wstring& text, UINT) {
    messages.push_back(text);
    return IDOK;
  }

  FakeHost host;
  std::vector<std::wstring> messages;
};
