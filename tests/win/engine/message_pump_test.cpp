#include "ripper/engine/message_pump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "ripper/engine/ui_dispatch.h"

namespace {

// Events from another thread, as the reader and the encoder send them.
struct Script {
  std::vector<int> seen;
  bool flag = false;
  int setFlagAt = 0;  // the event that ends the wait
  int count = 0;
};

DWORD WINAPI PostEvents(void* p) {
  auto* s = static_cast<Script*>(p);
  for (int i = 1; i <= s->count; ++i) {
    UiPost([s, i] {
      s->seen.push_back(i);
      if (i == s->setFlagAt) s->flag = true;
    });
    if (i < s->setFlagAt) Sleep(5);  // one at a time, as progress comes
  }
  return 0;
}

void RunScript(Script& s) {
  HANDLE t = CreateThread(nullptr, 0, PostEvents, &s, 0, nullptr);
  ASSERT_NE(t, nullptr);
  // Returns once every event is queued, none handled yet.
  WaitForSingleObject(t, 5000);
  CloseHandle(t);
}

}  // namespace

TEST(MessagePump, WaitEndsAtTheFlagAndHandlesWhatQueuedBehindIt) {
  ASSERT_TRUE(UiDispatchInit());
  Script s;
  s.count = 12;
  s.setFlagAt = 8;
  HANDLE t = CreateThread(nullptr, 0, PostEvents, &s, 0, nullptr);
  ASSERT_NE(t, nullptr);
  ASSERT_TRUE(WaitForFlag(s.flag));
  // The wait returns only once the flag is set, with every event in order.
  ASSERT_GE(s.seen.size(), 8u);
  for (size_t i = 0; i < s.seen.size(); ++i) EXPECT_EQ(s.seen[i], int(i) + 1);
  WaitForSingleObject(t, 5000);
  CloseHandle(t);
  // Whatever came later is still queued, not lost.
  EXPECT_TRUE(PumpPendingMessages());
  EXPECT_EQ(s.seen.size(), 12u);

  // A flag already set returns at once, leaving the queue alone.
  Script later;
  later.count = 3;
  RunScript(later);
  later.flag = true;
  ASSERT_TRUE(WaitForFlag(later.flag));
  EXPECT_TRUE(later.seen.empty());
  EXPECT_TRUE(PumpPendingMessages());
  EXPECT_EQ(later.seen.size(), 3u);
  UiDispatchShutdown();
}

TEST(MessagePump, QuitDuringAWaitIsKeptAndPostedAgain) {
  bool never = false;
  PostQuitMessage(7);
  EXPECT_FALSE(WaitForFlag(never));
  EXPECT_TRUE(QuitPending());
  EXPECT_FALSE(PumpPendingMessages());  // nothing more is taken meanwhile
  RepostPendingQuit();
  EXPECT_FALSE(QuitPending());
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}
