// The main window hosted in-process with a scripted CD reader: what it asks
// of the reader and what it tells the user.
#include "ripper/ui/form1.h"

#include <gtest/gtest.h>

#include <vector>

#include "ripper/engine/user_message.h"
#include "ripper/ui/form1_ids.h"
#include "tests/win/ui/scripted_parts.h"

namespace {

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    CaptureMessages(messages);
    auto r = std::make_unique<ScriptedReader>();
    reader = r.get();
    reader->drives = {L"Drive one", L"Drive two"};
    reader->trackMs = {245000, 3720000, 59000};
    components.reader = std::move(r);
  }
  void TearDown() override { SetUserMessageHook(nullptr); }

  Form1& Loaded() {
    form = std::make_unique<Form1>(std::move(components));
    EXPECT_TRUE(form->Load());
    return *form;
  }
  HWND Ctl(int id) { return form->Control(id); }
  std::vector<std::wstring> Items(int id) { return ListItems(Ctl(id)); }
  std::wstring Text(int id) {
    wchar_t buf[512] = {};
    GetWindowTextW(Ctl(id), buf, 512);
    return buf;
  }
  void DoubleClickDrive(int index) {
    SendMessageW(Ctl(kIdList2), LB_SETCURSEL, index, 0);
    SendMessageW(form->Hwnd(), WM_COMMAND, MAKEWPARAM(kIdList2, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(Ctl(kIdList2)));
  }
  void Press(int id) { SendMessageW(Ctl(id), BM_CLICK, 0, 0); }

  Form1Components components;
  ScriptedReader* reader = nullptr;
  std::unique_ptr<Form1> form;
  std::vector<std::wstring> messages;
};

TEST_F(Form1Test, AspiFailureShowsItsMessageAndEndsStartUp) {
  reader->aspiStatus = 1;
  form = std::make_unique<Form1>(std::move(components));
  EXPECT_FALSE(form->Load());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], L"Can\u00B4t initialize ASPI ! Please use a newer version of ASPI. Program abort!");
  EXPECT_EQ(form->Hwnd(), nullptr);
  EXPECT_TRUE(reader->selected.empty());  // nothing else of the start-up ran
}

TEST_F(Form1Test, StartUpListsDrivesAndSelectsDriveOne) {
  Form1& f = Loaded();
  EXPECT_EQ(Items(kIdList2), (std::vector<std::wstring>{L"Drive one", L"Drive two"}));
  EXPECT_EQ(SendMessageW(Ctl(kIdList2), LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_TRUE(Items(kIdList1).empty());
  EXPECT_EQ(reader->selected, (std::vector<int16_t>{1}));
  EXPECT_EQ(f.State().BitRate, 128);
  EXPECT_EQ(f.State().UseCddb, 0);
  EXPECT_EQ(Text(kIdText1), L"Please select your audio CD drive from above.");
  EXPECT_EQ(f.Prefix(), L"Track");
  EXPECT_EQ(f.OutputFolder(), L"c:\\");
  EXPECT_TRUE(messages.empty());
}

TEST_F(Form1Test, NoDrivesStillSelectsDriveOneSilently) {
  reader->drives.clear();
  reader->selectError = L"no such drive";
  Loaded();
  EXPECT_TRUE(Items(kIdList2).empty());
  EXPECT_EQ(reader->selected, (std::vector<int16_t>{1}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Form1Test, DriveDoubleClickFillsTrackListAndReloads) {
  Form1& f = Loaded();
  DoubleClickDrive(1);
  EXPECT_EQ(reader->selected.back(), 2);
  EXPECT_EQ(Text(kIdText1), L"Drive two");
  std::vector<std::wstring> expected = {L"Track 01    04,05    41,2  MB", L"Track 02    62,00    625,6  MB",
                                        L"Track 03    00,59    09,9  MB"};
  EXPECT_EQ(Items(kIdList1), expected);
  SendMessageW(Ctl(kIdList1), LB_SETSEL, TRUE, 1);
  EXPECT_EQ(f.TrackListSelectedCount(), 1);
  DoubleClickDrive(1);  // reload: same entries, selection gone
  EXPECT_EQ(Items(kIdList1), expected);
  EXPECT_EQ(f.TrackListSelectedCount(), 0);
  EXPECT_EQ(f.TrackListCount(), 3);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Form1Test, DoubleClickWithoutDriveDoesNothing) {
  Loaded();
  SendMessageW(form->Hwnd(), WM_COMMAND, MAKEWPARAM(kIdList2, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(Ctl(kIdList2)));
  EXPECT_EQ(reader->selected.size(), 1u);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Form1Test, UnreadableDiscIsReportedAndListEmptied) {
  Loaded();
  DoubleClickDrive(0);
  ASSERT_EQ(Items(kIdList1).size(), 3u);
  reader->trackCountError = L"drive not ready";
  DoubleClickDrive(0);
  EXPECT_TRUE(Items(kIdList1).empty());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(L"drive not ready"), std::wstring::npos);
  EXPECT_NE(messages[0].find(L"Drive one"), std::wstring::npos);

  reader->trackCountError.clear();
  reader->selectError = L"no disc";
  DoubleClickDrive(1);
  EXPECT_TRUE(Items(kIdList1).empty());
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[1].find(L"no disc"), std::wstring::npos);
  EXPECT_EQ(Text(kIdText1), L"Drive two");
}

TEST_F(Form1Test, DiscWithoutAudioTracksIsNamedAsSuch) {
  Loaded();
  reader->trackMs.clear();
  DoubleClickDrive(1);
  EXPECT_TRUE(Items(kIdList1).empty());
  EXPECT_EQ(messages, std::vector<std::wstring>{L"The disc in Drive two has no audio tracks."});
}

TEST_F(Form1Test, PlayPassesCurrentEntryPlusOneAndStopStops) {
  Loaded();
  DoubleClickDrive(0);
  Press(kIdCommand5);  // nothing selected: track 0, which the reader refuses
  ASSERT_EQ(reader->plays.size(), 1u);
  EXPECT_EQ(reader->plays[0], (std::vector<int16_t>{0, 0, -1}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(L"no track 0"), std::wstring::npos);

  SendMessageW(Ctl(kIdList1), LB_SETSEL, TRUE, 2);
  SendMessageW(Ctl(kIdList1), LB_SETCARETINDEX, 2, 0);
  Press(kIdCommand5);
  ASSERT_EQ(reader->plays.size(), 2u);
  EXPECT_EQ(reader->plays[1], (std::vector<int16_t>{3, 0, -1}));
  EXPECT_EQ(messages.size(), 1u);
  Press(kIdCommand4);
  EXPECT_EQ(reader->stops, 1);
}

TEST_F(Form1Test, BitRateMenuSetsRateAndMovesTheCheck) {
  Form1& f = Loaded();
  HMENU sub = GetSubMenu(GetMenu(f.Hwnd()), 0);
  ASSERT_EQ(GetMenuItemCount(sub), 13);
  auto checkedCount = [&] {
    int n = 0;
    for (int i = 0; i < 13; ++i) n += (GetMenuState(sub, i, MF_BYPOSITION) & MF_CHECKED) ? 1 : 0;
    return n;
  };
  EXPECT_EQ(checkedCount(), 1);
  EXPECT_TRUE(GetMenuState(sub, BitRateMenuId(6), MF_BYCOMMAND) & MF_CHECKED);
  SendMessageW(f.Hwnd(), WM_COMMAND, BitRateMenuId(10), 0);
  EXPECT_EQ(f.State().BitRate, 64);
  EXPECT_EQ(checkedCount(), 1);
  EXPECT_TRUE(GetMenuState(sub, BitRateMenuId(10), MF_BYCOMMAND) & MF_CHECKED);
  SendMessageW(f.Hwnd(), WM_COMMAND, BitRateMenuId(2), 0);
  EXPECT_EQ(f.State().BitRate, 256);
  SendMessageW(f.Hwnd(), WM_COMMAND, BitRateMenuId(2), 0);
  EXPECT_EQ(f.State().BitRate, 256);
  EXPECT_EQ(checkedCount(), 1);
}

TEST_F(Form1Test, LayoutFollowsTwipsAtTheWindowDpi) {
  Form1& f = Loaded();
  HDC dc = GetDC(nullptr);
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  auto px = [dpi](int twips) { return (twips * dpi + 720) / 1440; };
  RECT client{};
  GetClientRect(f.Hwnd(), &client);
  // The design size, wider where a caption needs it at the font in use.
  EXPECT_GE(client.right, px(8145));
  EXPECT_LE(client.right, px(8145) + px(2000));
  EXPECT_EQ(client.bottom, px(5685));
  auto place = [&](int id) {
    RECT r{};
    GetWindowRect(Ctl(id), &r);
    MapWindowPoints(nullptr, f.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  RECT quit = place(kIdCommand6);  // inside Frame4 at 4200, 4800
  EXPECT_EQ(quit.left, px(4200 + 2640));
  EXPECT_EQ(quit.top, px(4800 + 360));
  EXPECT_EQ(quit.right - quit.left, px(975));
  RECT list1 = place(kIdList1);
  EXPECT_EQ(list1.left, px(120));
  EXPECT_EQ(list1.bottom - list1.top, px(4785));
  LONG_PTR style = GetWindowLongPtrW(f.Hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongPtrW(Ctl(kIdList1), GWL_STYLE) & LBS_MULTIPLESEL);
  // Tab order is the creation order of the tab stops.
  std::vector<int> order;
  for (HWND c = GetWindow(f.Hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    order.push_back(GetDlgCtrlID(c));
  std::vector<int> expected = {kIdFrame1,   kIdList1,    kIdFrame2,   kIdList2,    kIdText1,    kIdFrame3,
                               kIdDrive1,   kIdDir1,     kIdText2,    kIdFrame4,   kIdCommand1, kIdCommand3,
                               kIdCommand4, kIdCommand5, kIdCommand6, kIdCommand2, kIdCommand7};
  EXPECT_EQ(order, expected);
}

TEST_F(Form1Test, QuitDestroysTheWindow) {
  Form1& f = Loaded();
  HWND h = f.Hwnd();
  Press(kIdCommand6);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(f.Hwnd(), nullptr);
  MSG m;
  EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
