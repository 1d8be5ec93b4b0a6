// How a served window ends: released under another program's subclass,
// destroyed without WM_CLOSE, ended with its process; and a module name
// longer than the table's field.

#include <gtest/gtest.h>

#include "tests/win/menulink_integration/harness.h"

namespace {

TEST(Release, LibraryStaysLoadedWhileAnotherSubclassStillCallsIt) {
  ASSERT_NE(Internals(), nullptr);
  SharedState* shared = Internals()->shared;
  ASSERT_EQ(shared->hookedWindowCount, 0) << "windows of earlier cases are still subclassed";
  Controller controller(false);  // removes its hook at the WM_CLOSE
  ASSERT_TRUE(controller.Started());
  std::string module = UniqueModule("TU");
  ASSERT_GE(RegisterModule(module), 0);
  Editor editor(module, "");
  ASSERT_TRUE(editor.Started());
  ASSERT_TRUE(editor.Report().subclassed) << editor.Messages();
  ASSERT_EQ(editor.Action(kSubclassOver), 1);

  // Switched off: the window lets go at its next message, though the
  // library's procedure stays in its chain under the editor's own.
  shared->featureDisabled = 1;
  editor.Action(kClearLog);
  EXPECT_EQ(shared->hookedWindowCount, 0);
  EXPECT_TRUE(WaitFor([&] { return controller.Log().find("unhooked") != std::string::npos; }))
      << controller.Log();

  // With the hook gone nothing else holds the library in the editor.
  editor.Action(kUnloadLibrary);
  editor.Action(kOpenFileMenu);
  editor.Action(kCommand, 102);
  EditorReport r = editor.Report();
  EXPECT_TRUE(r.ok) << "the editor died after freeing the library";
  EXPECT_FALSE(editor.Exited(0));
  EXPECT_EQ(r.commands, std::vector<unsigned>{102});
  EXPECT_EQ(r.Count("Acquire Text..."), 0) << r.Texts();
  shared->featureDisabled = 0;
  ReleaseRegistrations();
}

TEST(Release, EveryWindowReleasedUnderAnotherSubclassKeepsItsMessages) {
  ASSERT_NE(Internals(), nullptr);
  Controller controller(true);
  ASSERT_TRUE(controller.Started());
  std::string module = UniqueModule("TV");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  // One window after another is served, covered by the editor's own
  // subclass and released: more links to keep than any fixed number.
  const int n = 12;
  Editor editor(module, "--windows " + std::to_string(n));
  ASSERT_TRUE(editor.Started());
  std::vector<HWND> windows{editor.Window()};
  for (int k = 2; k <= n; ++k) windows.push_back(editor.NthWindow(k));
  for (HWND w : windows) {
    ASSERT_NE(w, nullptr);
    editor.Action(kActivateApp, 0, w);
    ASSERT_TRUE(editor.Report(w).subclassed);
    ASSERT_EQ(editor.Action(kSubclassOver, 0, w), 1);
    Internals()->disable(index);
    editor.Action(kClearLog, 0, w);
    Internals()->enable(index);
  }
  for (size_t k = 0; k < windows.size(); ++k) {
    HWND w = windows[k];
    editor.Action(kClearLog, 0, w);
    editor.Action(kCommand, 102, w);
    EditorReport r = editor.Report(w);
    EXPECT_TRUE(r.ok) << "window " << k + 1 << " no longer answers";
    EXPECT_EQ(r.commands, std::vector<unsigned>{102});
  }
  ReleaseRegistrations();
}

TEST(Release, WindowsEndedWithoutCloseAreCountedOutOnce) {
  ASSERT_NE(Internals(), nullptr);
  SharedState* shared = Internals()->shared;
  ASSERT_EQ(shared->hookedWindowCount, 0) << "windows of earlier cases are still subclassed";
  Controller controller(true);
  ASSERT_TRUE(controller.Started());
  std::string module = UniqueModule("TW");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  const AppRecord& rec = (*Internals()->table)[index];
  {
    Editor destroyed(module, ""), exited(module, "");
    ASSERT_TRUE(destroyed.Started() && exited.Started());
    ASSERT_EQ(shared->hookedWindowCount, 2);

    destroyed.Action(kDestroyWindow);  // as a File > Exit that calls DestroyWindow
    EXPECT_TRUE(destroyed.Exited(5000));
    EXPECT_EQ(shared->hookedWindowCount, 1);

    exited.Action(kExitProcess);  // the window goes with its process
    EXPECT_TRUE(exited.Exited(5000));
    EXPECT_EQ(shared->hookedWindowCount, 0);
    EXPECT_EQ(rec.running, 0);
  }

  // Nothing is served any more: switching off closes the controller, once.
  auto disable = Export<int32_t(WINAPI*)()>("GTDisableGlyphtap");
  ASSERT_NE(disable, nullptr);
  disable();
  EXPECT_TRUE(WaitFor([&] { return controller.Log().find("WM_CLOSE 1") != std::string::npos; }))
      << controller.Log();
  Sleep(300);
  EXPECT_EQ(controller.Log().find("WM_CLOSE 2"), std::string::npos) << controller.Log();
  shared->featureDisabled = 0;
  ReleaseRegistrations();
}

TEST(Release, ModuleNameLongerThanTheFieldRegisteredByPathIsServed) {
  ASSERT_NE(Internals(), nullptr);
  Controller controller(true);
  ASSERT_TRUE(controller.Started());
  // 21 characters; the table keeps 15 of them.
  std::string module = "TLONG_EDITOR" + UniqueModule("").substr(0, 5) + ".EXE";
  ASSERT_GE(module.size(), 16u);
  std::string path = TempDir() + module;
  ASSERT_TRUE(CopyFileA((BinDirA() + "testeditor.exe").c_str(), path.c_str(), FALSE));
  auto registerApp = Export<void(WINAPI*)(const char*)>("GTRegisterNewApp");
  ASSERT_NE(registerApp, nullptr);
  registerApp(path.c_str());
  int32_t index = -1;
  ASSERT_TRUE(Internals()->findByModule(module.substr(0, 15).c_str(), &index));
  ASSERT_GE(index, 0) << "not registered";
  EXPECT_EQ(std::string((*Internals()->table)[index].module), module.substr(0, 15));

  {
    Editor editor(module, "");
    ASSERT_TRUE(editor.Started());
    EXPECT_TRUE(editor.Report().subclassed) << editor.Messages();
    editor.Action(kOpenFileMenu);
    EXPECT_EQ(editor.Report().Count("Acquire Text..."), 1);
    EXPECT_EQ((*Internals()->table)[index].running, 1);
  }
  Internals()->disable(index);
}

}  // namespace
