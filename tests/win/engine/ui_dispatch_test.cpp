#include "ripper/engine/ui_dispatch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/win/common/test_process.h"

namespace {

struct Posted {
  std::vector<int> order;
  std::vector<bool> onUi;
};

DWORD WINAPI PostFromWorker(void* p) {
  auto* posted = static_cast<Posted*>(p);
  for (int i = 0; i < 100; ++i) {
    UiPost([posted, i] {
      posted->order.push_back(i);
      posted->onUi.push_back(OnUiThread());
    });
  }
  return 0;
}

}  // namespace

TEST(UiDispatch, WorkFromAWorkerRunsOnTheUiThreadInOrder) {
  ASSERT_TRUE(UiDispatchInit());
  Posted posted;
  HANDLE t = CreateThread(nullptr, 0, PostFromWorker, &posted, 0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return posted.order.size() == 100; }));
  WaitForSingleObject(t, INFINITE);
  CloseHandle(t);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(posted.order[i], i);
    EXPECT_TRUE(posted.onUi[i]);
  }
  UiDispatchShutdown();
}

TEST(UiDispatch, WorkQueuedAtShutdownIsDroppedAndLaterPostsFail) {
  ASSERT_TRUE(UiDispatchInit());
  int ran = 0;
  EXPECT_TRUE(UiPost([&] { ++ran; }));
  UiDispatchShutdown();
  EXPECT_FALSE(UiPost([&] { ++ran; }));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(ran, 0);
}
