#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fake_components.h"
#include "ripper/engine/form2.h"
#include "ripper/engine/message_pump.h"
#include "ripper/engine/session.h"
#include "ripper/engine/twips.h"
#include "ripper/engine/ui_dispatch.h"

namespace {

class Form2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(UiDispatchInit());
    ProgressWindowPrepare(host);
    ASSERT_TRUE(Form2IsLoaded());
    HDC dc = GetDC(nullptr);
    dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
  }
  void TearDown() override {
    ProgressWindowUnload();
    UiDispatchShutdown();
  }
  // A child's rectangle in its parent's client coordinates.
  static RECT InParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  void ExpectAt(HWND h, int l, int t, int w, int hgt) {
    RECT r = InParent(h);
    EXPECT_EQ(r.left, TwipsToPixels(l, dpi));
    EXPECT_EQ(r.top, TwipsToPixels(t, dpi));
    EXPECT_EQ(r.right - r.left, TwipsToPixels(w, dpi));
    EXPECT_EQ(r.bottom - r.top, TwipsToPixels(hgt, dpi));
  }
  static std::wstring ClassOf(HWND h) {
    wchar_t buf[64];
    GetClassNameW(h, buf, 64);
    return buf;
  }
  static std::wstring TextOf(HWND h) {
    wchar_t buf[128];
    GetWindowTextW(h, buf, 128);
    return buf;
  }

  FakeHost host;
  int dpi = 96;
};

TEST_F(Form2Test, PreparedHiddenAtTheDesignSizeWithEmptyBars) {
  HWND w = Form2Window();
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(host.state.BarFullWidth, 3495.0f);  // taken by the preparation
  for (int bar = 1; bar <= 3; ++bar) EXPECT_EQ(Form2BarWidth(bar), 0.0f);
  EXPECT_EQ(TextOf(w), L"Ripping and Encoding");
  LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_CAPTION);
  RECT c;
  GetClientRect(w, &c);
  EXPECT_EQ(c.right, TwipsToPixels(3885, dpi));
  EXPECT_EQ(c.bottom, TwipsToPixels(4725, dpi));
}

TEST_F(Form2Test, ControlsSitAtTheirTwipsInTabOrder) {
  HWND w = Form2Window();
  std::vector<HWND> kids;
  for (HWND h = GetWindow(w, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) kids.push_back(h);
  ASSERT_EQ(kids.size(), 6u);
  // Z order is the tab order: Frame5, Frame4, Command1, Text1, Frame1, List1.
  EXPECT_EQ(TextOf(kids[0]), L"All Tracks");
  EXPECT_EQ(TextOf(kids[1]), L"This Track");
  EXPECT_EQ(kids[2], Form2Button());
  EXPECT_EQ(TextOf(kids[2]), L"ABORT");
  EXPECT_EQ(ClassOf(kids[3]), L"Edit");
  EXPECT_EQ(TextOf(kids[4]), L"Encoding");
  EXPECT_EQ(ClassOf(kids[5]), L"ListBox");
  ExpectAt(kids[0], 120, 120, 3615, 375);
  ExpectAt(kids[1], 120, 600, 3615, 375);
  ExpectAt(kids[2], 1320, 4320, 1215, 375);
  ExpectAt(kids[3], 120, 1680, 3615, 285);
  ExpectAt(kids[4], 120, 1080, 3615, 375);
  ExpectAt(kids[5], 120, 2040, 3615, 2205);
  // Each bar lies inside its frame, at its left edge.
  HWND bar1 = GetWindow(kids[0], GW_CHILD), bar3 = GetWindow(kids[4], GW_CHILD);
  ASSERT_TRUE(bar1 && bar3);
  RECT r1 = InParent(bar1), r3 = InParent(bar3);
  EXPECT_EQ(r1.left, TwipsToPixels(75, dpi));
  EXPECT_EQ(r3.left, TwipsToPixels(80, dpi));
  EXPECT_EQ(r1.top, TwipsToPixels(190, dpi));
  EXPECT_EQ(r1.bottom - r1.top, TwipsToPixels(135, dpi));
}

TEST_F(Form2Test, BarsAreDarkBlueAndOnlyTheirWidthChanges) {
  Form2SetBarWidth(1, 1747.5f);
  HWND bar1 = GetWindow(GetWindow(Form2Window(), GW_CHILD), GW_CHILD);
  RECT before = InParent(bar1);
  EXPECT_FLOAT_EQ(Form2BarWidth(1), 1747.5f);
  EXPECT_NEAR(Form2BarPixels(1), 1747.5 * dpi / 1440.0, 0.5);
  Form2SetBarWidth(1, 3495.0f);
  RECT after = InParent(bar1);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right - after.left, TwipsToPixels(3495, dpi));
  HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(bar1, GCLP_HBRBACKGROUND));
  LOGBRUSH lb{};
  ASSERT_TRUE(GetObjectW(brush, sizeof lb, &lb));
  EXPECT_EQ(lb.lbColor, RGB(0, 0, 128));
  Form2SetBarWidth(1, 0.0f);
  EXPECT_EQ(Form2BarPixels(1), 0);
}

// A bar that shrinks must not leave its old pixels behind in the frame:
// what the screen shows is read back.
TEST_F(Form2Test, ShrunkBarLeavesNoTraceOnScreen) {
  Form2Show();
  HWND frame = GetWindow(Form2Window(), GW_CHILD);
  HWND bar = GetWindow(frame, GW_CHILD);
  Form2SetBarWidth(1, 3495.0f);
  UpdateWindow(Form2Window());
  RECT r = InParent(bar);
  const POINT probe{r.left + (r.right - r.left) * 3 / 4, (r.top + r.bottom) / 2};
  auto pixel = [&] {
    RedrawWindow(Form2Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(frame);
    COLORREF c = GetPixel(dc, probe.x, probe.y);
    ReleaseDC(frame, dc);
    return c;
  };
  ASSERT_EQ(pixel(), RGB(0, 0, 128)) << "the full bar is not on the screen";
  Form2SetBarWidth(1, 0.0f);
  EXPECT_EQ(pixel(), GetSysColor(COLOR_BTNFACE));
}

// What the screen shows at a bar's edge, read back as it grows and shrinks
// in single pixels: the bar is exactly as wide as its width says.
TEST_F(Form2Test, BarEdgeOnScreenFollowsEveryPixel) {
  Form2Show();
  HWND frame = GetWindow(Form2Window(), GW_CHILD);
  HWND bar = GetWindow(frame, GW_CHILD);
  const RECT r = InParent(bar);
  const int y = (r.top + r.bottom) / 2;
  auto pixel = [&](int x) {
    RedrawWindow(Form2Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(frame);
    COLORREF c = GetPixel(dc, r.left + x, y);
    ReleaseDC(frame, dc);
    return c;
  };
  const COLORREF blue = RGB(0, 0, 128), face = GetSysColor(COLOR_BTNFACE);
  const float twipsPerPixel = 1440.0f / dpi;
  for (int px : {40, 41, 120, 119, 3, 0, 60}) {
    Form2SetBarWidth(1, px * twipsPerPixel);
    ASSERT_EQ(Form2BarPixels(1), px);
    EXPECT_EQ(pixel(px), face) << px;
    EXPECT_EQ(pixel(px + 30), face) << px;
    if (px > 0) {
      EXPECT_EQ(pixel(px - 1), blue) << px;
      EXPECT_EQ(pixel(0), blue) << px;
    }
  }
}

TEST_F(Form2Test, ListAppendsAtTheEndAndStatusShowsText) {
  Form2AddLine(L"one");
  Form2AddLine(L"b two");
  Form2AddLine(L"a three");
  EXPECT_EQ(Form2Lines(), (std::vector<std::wstring>{L"one", L"b two", L"a three"}));
  Form2SetStatus(L"Reading Track 01,   01 Track(s) left");
  EXPECT_EQ(Form2Status(), L"Reading Track 01,   01 Track(s) left");
}

// Lines are painted in bursts, a moment after they come: they are in the
// list at once, and soon after the newest is on the screen.
TEST_F(Form2Test, NewestLineReachesTheScreen) {
  Form2Show();
  HWND list = FindWindowExW(Form2Window(), nullptr, L"ListBox", nullptr);
  ASSERT_TRUE(list != nullptr);
  const int n = 40;  // more than the list shows
  for (int i = 0; i < n; ++i) Form2AddLine(L"Encoding Track " + std::to_wstring(i));
  EXPECT_EQ(Form2Lines().size(), size_t(n));
  const int h = int(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  RECT client;
  GetClientRect(list, &client);
  const int shown = client.bottom / h;
  for (int i = 0; i < 100 && int(SendMessageW(list, LB_GETTOPINDEX, 0, 0)) + shown < n; ++i) {
    PumpPendingMessages();
    Sleep(20);
  }
  const int top = int(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
  ASSERT_GE(top + shown, n) << "the newest line is not in view";
  RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
  HDC dc = GetDC(list);
  const int y = (n - 1 - top) * h + h / 2;
  bool ink = false;
  for (int x = 1; x < client.right / 2 && !ink; ++x) ink = GetPixel(dc, x, y) != GetSysColor(COLOR_WINDOW);
  ReleaseDC(list, dc);
  EXPECT_TRUE(ink) << "the newest line is not painted";
}

TEST_F(Form2Test, DoneClosesAndRestoresAbort) {
  Form2SetButtonCaption(L"DONE");
  AbortOrClose();
  EXPECT_FALSE(Form2IsLoaded());
  // Loaded again, it reads ABORT.
  ProgressWindowPrepare(host);
  EXPECT_EQ(Form2ButtonCaption(), L"ABORT");
}

TEST_F(Form2Test, AbortWithoutASessionChangesNoFlag) {
  AbortOrClose();
  EXPECT_EQ(host.state.AbortRequested, kVbFalse);
  EXPECT_FALSE(host.state.OperationDone);
  EXPECT_TRUE(host.reader.calls.empty());
  EXPECT_TRUE(Form2IsLoaded());
}

TEST_F(Form2Test, CallsOnAnUnloadedWindowAreHarmless) {
  ProgressWindowUnload();
  Form2SetBarWidth(2, 100.0f);
  Form2AddLine(L"x");
  Form2SetStatus(L"x");
  Form2SetButtonCaption(L"DONE");
  AbortOrClose();
  EXPECT_TRUE(Form2Lines().empty());
  EXPECT_EQ(Form2BarWidth(2), 0.0f);
  EXPECT_EQ(Form2Window(), nullptr);
}

}  // namespace
