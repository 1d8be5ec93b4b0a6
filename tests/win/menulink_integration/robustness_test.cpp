// Long random sequences of menu and command messages sent to a subclassed
// test editor, mixed with what ends or interrupts the service (the feature
// switched off and on, the application unregistered with its menu open,
// the window destroyed): it must survive them, its File menu must never
// hold the items twice, and whenever the items are out the menu must be
// exactly the application's own.

#include <gtest/gtest.h>

#include <random>

#include "tests/win/menulink_integration/harness.h"

namespace {

class Robustness : public ::testing::TestWithParam<const char*> {};

TEST_P(Robustness, RandomMessagesSwitchingAndUnregistering) {
  ASSERT_NE(Internals(), nullptr);
  SharedState* shared = Internals()->shared;
  Controller controller(true);
  ASSERT_TRUE(controller.Started());
  std::string module = UniqueModule("TZ");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  ASSERT_EQ(shared->hookedWindowCount, 0) << "windows of earlier cases are still subclassed";
  int switchOffs = 0;
  Editor editor(module, std::string("--layout ") + GetParam());
  ASSERT_TRUE(editor.Started());
  HWND hwnd = editor.Window();

  std::mt19937 rng(12345);
  const EditorReport original = editor.Report();
  ASSERT_TRUE(original.subclassed);
  const WPARAM fileMenu = static_cast<WPARAM>(original.fileMenu);
  unsigned acquire = 0, settings = 0;
  const UINT messages[] = {WM_INITMENUPOPUP, WM_MENUSELECT, WM_COMMAND, WM_INITMENU, WM_SYSCOMMAND, WM_NULL};
  for (int i = 0; i < 1000; ++i) {
    // Now and then the service is interrupted and comes back.
    switch (rng() % 60) {
      case 0:  // switched off, then on again as the controller would
        shared->featureDisabled = 1;
        editor.Report();
        ++switchOffs;
        shared->featureDisabled = 0;
        editor.Action(kActivateApp);
        break;
      case 1:  // unregistered with the File menu open, registered again
        editor.Action(kOpenFileMenu);
        Internals()->disable(index);
        editor.Report();
        Internals()->enable(index);
        editor.Action(kActivateApp);
        break;
      default:
        break;
    }
    UINT msg = messages[rng() % 6];
    WPARAM wParam = rng();
    LPARAM lParam = static_cast<LPARAM>(rng() % 4 == 0 ? rng() : 0);
    switch (msg) {
      case WM_INITMENUPOPUP:
        if (rng() % 2) wParam = fileMenu;
        break;
      case WM_MENUSELECT:
        if (rng() % 3 == 0)
          wParam = MAKEWPARAM(0, 0xFFFF), lParam = 0;
        else if (rng() % 2)
          wParam = MAKEWPARAM(acquire + rng() % 3, rng() % 2 ? MF_POPUP : 0), lParam = fileMenu;
        break;
      case WM_COMMAND: {
        // Everything but the two items themselves, whose runs need the
        // OCR application, and the editor's Close and Exit.
        WORD id = static_cast<WORD>(rng() % 4 ? 1495 + rng() % 20 : rng());
        if (id == acquire || id == settings || id == 199 || id == 103) id = 102;
        wParam = MAKEWPARAM(id, rng() % 2);
        break;
      }
      case WM_SYSCOMMAND:
        wParam = SC_KEYMENU + 0x10 * (rng() % 2) + 0x1000;  // never SC_CLOSE
        lParam = 0;
        break;
      default:
        break;
    }
    DWORD_PTR result;
    ASSERT_TRUE(SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) << i;
    if (i % 50 == 0 || msg == WM_INITMENUPOPUP || msg == WM_MENUSELECT) {
      EditorReport r = editor.Report();
      ASSERT_TRUE(r.ok) << "editor stopped answering at message " << i;
      ASSERT_LE(r.Count("Acquire Text..."), 1) << r.Texts();
      ASSERT_LE(r.Count("Acquire Text Settings..."), 1) << r.Texts();
      if (const MenuItem* a = r.Find("Acquire Text...")) acquire = a->id;
      if (const MenuItem* s = r.Find("Acquire Text Settings...")) settings = s->id;
      if (r.Count("Acquire Text...") == 0 && r.Count("Acquire Text Settings...") == 0) {
        ASSERT_TRUE(SameMenu(r, original)) << "message " << i << ": " << r.Texts();
      }
    }
  }
  EXPECT_TRUE(editor.Report().subclassed);

  // Released with the menu open: the application's own menu comes back.
  editor.Action(kOpenFileMenu);
  Internals()->disable(index);
  EditorReport released = editor.Report();
  EXPECT_FALSE(released.subclassed);
  EXPECT_TRUE(SameMenu(released, original)) << released.Texts();

  // Served again, then destroyed without WM_CLOSE: counted out.
  Internals()->enable(index);
  editor.Action(kActivateApp);
  EXPECT_TRUE(editor.Report().subclassed);
  EXPECT_EQ(shared->hookedWindowCount, 1);
  editor.Action(kDestroyWindow);
  EXPECT_TRUE(editor.Exited(5000));
  EXPECT_EQ(shared->hookedWindowCount, 0);
  // The controller heard once of every switch-off, and of nothing else.
  std::string last = "WM_CLOSE " + std::to_string(switchOffs) + "\n";
  if (switchOffs) {
    EXPECT_TRUE(WaitFor([&] { return controller.Log().find(last) != std::string::npos; }))
        << controller.Log();
  }
  Sleep(200);
  std::string next = "WM_CLOSE " + std::to_string(switchOffs + 1) + "\n";
  EXPECT_EQ(controller.Log().find(next), std::string::npos) << controller.Log();
  ReleaseRegistrations();
}

INSTANTIATE_TEST_SUITE_P(Layouts, Robustness,
                         ::testing::Values("standard", "noexit", "close", "exitfirst", "ids1500"));

}  // namespace
