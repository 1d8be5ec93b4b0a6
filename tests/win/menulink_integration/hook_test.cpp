// The hook and subclassing in real processes: the controller stand-in
// installs the global hook, test editors run under registered module names.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win/menulink_integration/harness.h"

namespace {

const char kAcquireEn[] = "Acquire Text...";
const char kSettingsEn[] = "Acquire Text Settings...";

class HookTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NE(Internals(), nullptr);
    controller = new Controller(true);
    ASSERT_TRUE(controller->Started()) << controller->Log();
  }
  static void TearDownTestSuite() {
    delete controller;
    controller = nullptr;
  }
  void SetUp() override { Internals()->shared->featureDisabled = 0; }
  void TearDown() override { ReleaseRegistrations(); }
  static Controller* controller;
};
Controller* HookTest::controller = nullptr;

// A module name unique to the test, registered and enabled.
std::string Registered(const char* prefix) {
  std::string module = UniqueModule(prefix);
  EXPECT_GE(RegisterModule(module), 0) << module;
  return module;
}

// The last n items of the File menu, "-" for separators.
std::vector<std::string> Tail(const EditorReport& r, size_t n) {
  std::vector<std::string> out;
  for (size_t i = r.items.size() > n ? r.items.size() - n : 0; i < r.items.size(); ++i)
    out.push_back(r.items[i].separator ? "-" : r.items[i].text);
  return out;
}

struct LanguageCase {
  const char* name;
  const char* args;
  const char *acquire, *settings, *exitText;
};

class LanguageTest : public HookTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageTest, ItemsAppearInTheMenusLanguageBeforeExit) {
  const LanguageCase& c = GetParam();
  Editor editor(Registered("TL"), c.args);
  ASSERT_TRUE(editor.Started());
  ASSERT_TRUE(editor.Report().subclassed) << editor.Messages();

  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(Tail(r, 5), (std::vector<std::string>{"-", c.acquire, c.settings, "-", c.exitText})) << r.Texts();

  editor.Action(kMenuClosed);
  r = editor.Report();
  EXPECT_EQ(r.Count(c.acquire), 0) << r.Texts();
  EXPECT_EQ(Tail(r, 2), (std::vector<std::string>{"-", c.exitText})) << r.Texts();
}

INSTANTIATE_TEST_SUITE_P(
    Languages, LanguageTest,
    ::testing::Values(LanguageCase{"English", "--lang 0", kAcquireEn, kSettingsEn, "E&xit"},
                      LanguageCase{"French", "--lang 1", "&Acqu\xe9rir le texte...",
                                   "Confi&guration d'acquisition du texte...", "&Quitter"},
                      LanguageCase{"German", "--lang 2", "Text erfassen...",
                                   "Texteinstellungen \xfc"
                                   "bernehmen...",
                                   "&Beenden"},
                      LanguageCase{"Italian", "--lang 5", "Acquisisci testo...",
                                   "Acquisisci impostazioni del testo...", "&Esci"},
                      LanguageCase{"PortugueseArquivo", "--lang 15 --arquivo", "Adquirir texto...",
                                   "Adquirir defini\xe7\xf5"
                                   "es de texto...",
                                   "&Sair"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LayoutCase {
  const char* name;
  const char* args;
  std::vector<std::string> expected;  // the whole File menu
};

class LayoutTest : public HookTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTest, PlacementFollowsExitAndClose) {
  const LayoutCase& c = GetParam();
  Editor editor(Registered("TP"), c.args);
  ASSERT_TRUE(editor.Started());
  ASSERT_TRUE(editor.Report().subclassed) << editor.Messages();
  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(Tail(r, 100), c.expected) << r.Texts();
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTest,
                         ::testing::Values(LayoutCase{"SaveSeparatorExit",
                                                      "--layout standard",
                                                      {"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S",
                                                       "-", kAcquireEn, kSettingsEn, "-", "E&xit"}},
                                           LayoutCase{"NoExitAppends",
                                                      "--layout noexit",
                                                      {"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S",
                                                       "-", kAcquireEn, kSettingsEn}},
                                           LayoutCase{"CloseBeforeExit",
                                                      "--layout close",
                                                      {"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S",
                                                       "-", kAcquireEn, kSettingsEn, "-", "&Close", "E&xit"}},
                                           LayoutCase{"ExitFirst",
                                                      "--layout exitfirst",
                                                      {kAcquireEn, kSettingsEn, "-", "E&xit", "&New\tCtrl+N",
                                                       "&Open...\tCtrl+O", "&Save\tCtrl+S"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(LayoutTest, MenuComesBackWholeAfterEveryOpeningAndAfterRelease) {
  const LayoutCase& c = GetParam();
  std::string module = UniqueModule("TB");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  Editor editor(module, c.args);
  ASSERT_TRUE(editor.Started());
  const EditorReport original = editor.Report();
  ASSERT_TRUE(original.subclassed) << editor.Messages();
  for (int i = 0; i < 3; ++i) {
    editor.Action(kOpenFileMenu);
    EditorReport open = editor.Report();
    EXPECT_EQ(Tail(open, 100), c.expected) << "opening " << i + 1 << ": " << open.Texts();
    editor.Action(kMenuClosed);
    EditorReport closed = editor.Report();
    EXPECT_TRUE(SameMenu(closed, original)) << "after closing " << i + 1 << ": " << closed.Texts();
  }
  editor.Action(kOpenFileMenu);
  Internals()->disable(index);
  EditorReport released = editor.Report();
  EXPECT_FALSE(released.subclassed);
  EXPECT_TRUE(SameMenu(released, original)) << "after release: " << released.Texts();
}

TEST_F(HookTest, IdentifiersSkipThoseTheMenuUses) {
  Editor editor(Registered("TI"), "--layout ids1500");
  ASSERT_TRUE(editor.Started());
  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  ASSERT_NE(r.Find(kAcquireEn), nullptr) << r.Texts();
  EXPECT_EQ(r.Find(kAcquireEn)->id, 1503u);
  EXPECT_EQ(r.Find(kSettingsEn)->id, 1504u);
}

TEST_F(HookTest, ReopeningReplacesTheItemsAndTheyNeverReachTheApplication) {
  Editor editor(Registered("TR"), "");
  ASSERT_TRUE(editor.Started());
  for (int i = 0; i < 3; ++i) {
    editor.Action(kOpenFileMenu);
    EditorReport r = editor.Report();
    EXPECT_EQ(r.Count(kAcquireEn), 1) << r.Texts();
    EXPECT_EQ(r.Count(kSettingsEn), 1) << r.Texts();
    EXPECT_EQ(r.items.size(), 8u) << r.Texts();
  }
  EditorReport r = editor.Report();
  unsigned acquire = r.Find(kAcquireEn)->id, settings = r.Find(kSettingsEn)->id;
  editor.Action(kClearLog);
  editor.Action(kSelectItem, acquire);
  editor.Action(kSelectItem, settings);
  editor.Action(kSelectItem, 102);  // Save: the application's own
  editor.Action(kMenuClosed);
  editor.Action(kCommand, 102);
  r = editor.Report();
  EXPECT_EQ(r.selections, (std::vector<unsigned>{102})) << "the items' selection reached the application";
  EXPECT_EQ(r.commands, (std::vector<unsigned>{102}));
  EXPECT_EQ(r.Count(kAcquireEn), 0);
}

TEST_F(HookTest, ChoosingAcquireTextIsNotTheApplicationsCommand) {
  Editor editor(Registered("TC"), "");
  ASSERT_TRUE(editor.Started());
  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  ASSERT_NE(r.Find(kAcquireEn), nullptr);
  unsigned acquire = r.Find(kAcquireEn)->id;
  // As a real menu does: the item is highlighted, the menu closes, and
  // then its command comes.
  editor.Action(kSelectItem, acquire);
  editor.Action(kMenuClosed);
  editor.Action(kClearLog);
  editor.Action(kCommand, acquire);
  r = editor.Report();
  // The run itself may paste (Edit > Paste) when an OCR server answers.
  EXPECT_EQ(std::count(r.commands.begin(), r.commands.end(), acquire), 0) << r.commands.size();
  EXPECT_TRUE(r.subclassed);
}

TEST_F(HookTest, TheApplicationsOwnCommandsWithTheItemsNumbersReachIt) {
  Editor editor(Registered("TA"), "");
  ASSERT_TRUE(editor.Started());
  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  ASSERT_NE(r.Find(kAcquireEn), nullptr) << r.Texts();
  unsigned acquire = r.Find(kAcquireEn)->id, settings = r.Find(kSettingsEn)->id;
  // Settings highlighted, then the user moves on to Save and closes.
  editor.Action(kSelectItem, settings);
  editor.Action(kSelectItem, 102);
  editor.Action(kMenuClosed);
  editor.Action(kClearLog);
  // An accelerator of the application (high word 1), a command it sends
  // itself, and the settings number after the user chose something else.
  DWORD_PTR result;
  ASSERT_TRUE(SendMessageTimeoutA(editor.Window(), WM_COMMAND, MAKEWPARAM(acquire, 1), 0, SMTO_NORMAL, 20000,
                                  &result));
  editor.Action(kCommand, acquire);
  editor.Action(kCommand, settings);
  r = editor.Report();
  EXPECT_EQ(r.commands, (std::vector<unsigned>{acquire, acquire, settings}));
  EXPECT_EQ(editor.Messages(), "") << "a run was started";
}

TEST_F(HookTest, UnregisteredApplicationNeverWaitsForTheTableNorShowsAMessage) {
  // Another process holds the table; an application that is not
  // registered starts and is activated meanwhile.
  struct Held {
    bool owned = Internals()->lock() == WAIT_OBJECT_0;
    ~Held() {
      if (owned) Internals()->unlock();
    }
  } held;
  ASSERT_TRUE(held.owned);
  Editor editor(UniqueModule("TM"), "");
  bool started = editor.Started();
  DWORD_PTR result = 0;
  // Far below the table's 5 s wait: what is checked is that there is none.
  bool answered =
      started && SendMessageTimeoutA(editor.Window(), WM_ACTIVATEAPP, TRUE, 0, SMTO_NORMAL, 2500, &result);
  Internals()->unlock();
  held.owned = false;
  EXPECT_TRUE(started);
  EXPECT_TRUE(answered);
  EXPECT_EQ(editor.Messages(), "");
}

struct RefusedCase {
  const char* name;
  const char* module;  // empty: a unique one
  const char* args;
};

class RefusedTest : public HookTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedTest, WindowIsNeverSubclassed) {
  const RefusedCase& c = GetParam();
  std::string module = c.module[0] ? c.module : UniqueModule("TX");
  ASSERT_GE(RegisterModule(module), 0);
  LONG before = Internals()->shared->hookedWindowCount;
  Editor editor(module, c.args);
  ASSERT_TRUE(editor.Started());
  editor.Action(kActivateApp);
  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  EXPECT_FALSE(r.subclassed);
  EXPECT_EQ(r.Count(kAcquireEn), 0) << r.Texts();
  EXPECT_EQ(Internals()->shared->hookedWindowCount, before);
}

INSTANTIATE_TEST_SUITE_P(Refused, RefusedTest,
                         ::testing::Values(RefusedCase{"ExplorerUpperCase", "EXPLORER.EXE", ""},
                                           RefusedCase{"WinHelpMixedCase", "WinHlp32.exe", ""},
                                           RefusedCase{"OwnedWindow", "", "--owned"},
                                           RefusedCase{"NoMenuBar", "", "--nomenu"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HookTest, NotRegisteredIsLeftAlone) {
  Editor editor(UniqueModule("TN"), "");
  ASSERT_TRUE(editor.Started());
  EXPECT_FALSE(editor.Report().subclassed);
}

// A hook call can reach the installer's thread for a window of another
// process (Windows routes the other width's calls that way). Read from
// here, that window's module handle names this program's own file: with
// this program registered, the hook must still leave the window alone.
TEST_F(HookTest, AWindowOfAnotherProcessIsNeverTakenForOwn) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string own = self;
  own = own.substr(own.find_last_of('\\') + 1);
  int32_t index = RegisterModule(own);
  ASSERT_GE(index, 0);
  Internals()->setTitle(index, "unknown");
  Editor editor(UniqueModule("TF"), "");
  ASSERT_TRUE(editor.Started());
  auto hook = Export<LRESULT(CALLBACK*)(int, WPARAM, LPARAM)>("CallWndHook");
  ASSERT_NE(hook, nullptr);
  LONG before = Internals()->shared->hookedWindowCount;
  for (UINT message : {WM_CREATE, WM_ACTIVATEAPP}) {
    CWPSTRUCT cwp = {0, TRUE, message, editor.Window()};
    hook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp));
  }
  EXPECT_EQ(Internals()->shared->hookedWindowCount, before);
  EXPECT_FALSE(editor.Report().subclassed);
  // Nor is the other window's title taken into this program's record.
  EXPECT_STREQ((*Internals()->table)[index].title, "unknown");
  // This process still serves a window of its own afterwards.
  HMENU bar = CreateMenu(), file = CreatePopupMenu(), edit = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 1, "E&xit");
  AppendMenuA(edit, MF_STRING, 2, "&Paste");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
  HWND mine = CreateWindowExA(0, "STATIC", "Mine", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, bar,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(mine, nullptr);
  CWPSTRUCT own_cwp = {0, TRUE, WM_ACTIVATEAPP, mine};
  hook(HC_ACTION, 0, reinterpret_cast<LPARAM>(&own_cwp));
  EXPECT_EQ(Internals()->shared->hookedWindowCount, before + 1);
  // Released again by its close, so that later cases start from 0.
  SendMessageA(mine, WM_CLOSE, 0, 0);
  EXPECT_EQ(Internals()->shared->hookedWindowCount, before);
  DestroyWindow(mine);
}

TEST_F(HookTest, SecondTopLevelWindowIsLeftAlone) {
  Editor editor(Registered("TS"), "--second");
  ASSERT_TRUE(editor.Started());
  HWND second = editor.SecondWindow();
  ASSERT_NE(second, nullptr);
  editor.Action(kActivateApp, 0, second);
  editor.Action(kOpenFileMenu, 0, second);
  EditorReport r = editor.Report(second);
  EXPECT_FALSE(r.subclassed);
  EXPECT_EQ(r.Count(kAcquireEn), 0);
  EXPECT_TRUE(editor.Report().subclassed);
}

TEST_F(HookTest, TitleAndRunningAreKeptInTheRecord) {
  std::string module = UniqueModule("TT");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  const AppRecord& rec = (*Internals()->table)[index];
  EXPECT_STREQ(rec.title, "unknown");
  {
    Editor editor(module, "");
    ASSERT_TRUE(editor.Started());
    EXPECT_STREQ(rec.title, "Untitled");
    EXPECT_EQ(rec.running, 1);
    EXPECT_NE(std::string(rec.path).find(module), std::string::npos) << rec.path;
    editor.Close();
    EXPECT_TRUE(editor.Exited(5000));
  }
  EXPECT_EQ(rec.running, 0);
  // An existing title stays.
  Internals()->setTitle(index, "Kept Title");
  Editor again(module, "");
  ASSERT_TRUE(again.Started());
  EXPECT_STREQ(rec.title, "Kept Title");
}

TEST_F(HookTest, CancelledCloseLeavesTheProcessStopped) {
  std::string module = UniqueModule("TK");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  Editor editor(module, "--cancel-close --second");
  ASSERT_TRUE(editor.Started());
  ASSERT_TRUE(editor.Report().subclassed);
  editor.Action(kCloseWindow);  // the editor refuses to close
  EXPECT_FALSE(editor.Report().subclassed);
  EXPECT_EQ((*Internals()->table)[index].running, 0);
  editor.Action(kActivateApp);
  editor.Action(kActivateApp, 0, editor.SecondWindow());
  editor.Action(kOpenFileMenu);
  EditorReport r = editor.Report();
  EXPECT_FALSE(r.subclassed);
  EXPECT_EQ(r.Count(kAcquireEn), 0);
  EXPECT_FALSE(editor.Report(editor.SecondWindow()).subclassed);
  editor.Kill();
}

TEST_F(HookTest, DisablingReleasesAndActivationBringsTheItemsBack) {
  std::string module = UniqueModule("TD");
  int32_t index = RegisterModule(module);
  ASSERT_GE(index, 0);
  Editor editor(module, "");
  ASSERT_TRUE(editor.Started());
  LONG subclassedCount = Internals()->shared->hookedWindowCount;
  Internals()->disable(index);
  // Any message releases the window; the report itself is one.
  EXPECT_FALSE(editor.Report().subclassed);
  EXPECT_EQ(Internals()->shared->hookedWindowCount, subclassedCount - 1);
  editor.Action(kOpenFileMenu);
  EXPECT_EQ(editor.Report().Count(kAcquireEn), 0);

  Internals()->enable(index);
  editor.Action(kActivateApp);
  EXPECT_TRUE(editor.Report().subclassed);
  editor.Action(kOpenFileMenu);
  EXPECT_EQ(editor.Report().Count(kAcquireEn), 1);
  EXPECT_EQ(Internals()->shared->hookedWindowCount, subclassedCount);
}

TEST(FeatureSwitch, LastOfThreeReleasesTellsTheControllerOnce) {
  ASSERT_NE(Internals(), nullptr);
  SharedState* shared = Internals()->shared;
  ASSERT_EQ(shared->hookedWindowCount, 0) << "windows of earlier cases are still subclassed";
  Controller controller(true);
  ASSERT_TRUE(controller.Started());
  std::string module = Registered("TF");
  Editor a(module, ""), b(module, ""), c(module, "");
  ASSERT_TRUE(a.Started() && b.Started() && c.Started());
  ASSERT_EQ(shared->hookedWindowCount, 3);

  shared->featureDisabled = 1;
  EXPECT_FALSE(a.Report().subclassed);
  EXPECT_FALSE(b.Report().subclassed);
  // c releases itself at whatever message reaches it next (painting or
  // activation may come first), so only the order is checked: the log is
  // read before the count, and a WM_CLOSE already logged means the count
  // must have reached 0.
  Sleep(200);
  std::string early = controller.Log();
  LONG left = shared->hookedWindowCount;
  EXPECT_LE(left, 1);
  EXPECT_TRUE(early.find("WM_CLOSE") == std::string::npos || left == 0) << early;
  EXPECT_FALSE(c.Report().subclassed);
  EXPECT_EQ(shared->hookedWindowCount, 0);
  EXPECT_TRUE(WaitFor([&] { return controller.Log().find("WM_CLOSE 1") != std::string::npos; }))
      << controller.Log();
  // Nothing else may release: further messages find nothing subclassed,
  // and activating the applications again subclasses nothing while the
  // feature is off.
  a.Report();
  c.Action(kOpenFileMenu);
  for (int i = 0; i < 4; ++i) {
    a.Action(kActivateApp);
    b.Action(kActivateApp);
  }
  EXPECT_FALSE(a.Report().subclassed);
  EXPECT_EQ(shared->hookedWindowCount, 0);
  Sleep(300);
  EXPECT_EQ(controller.Log().find("WM_CLOSE 2"), std::string::npos) << controller.Log();
  shared->featureDisabled = 0;
  ReleaseRegistrations();
}

}  // namespace
