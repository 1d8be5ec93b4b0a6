// The acquire-text and settings runs of the real library against the
// stand-in OCR server: every step's failure, its message and the calls that
// follow it.

#include <gtest/gtest.h>

#include <ole2.h>

#include <string>
#include <vector>

#include "tests/win/menulink_ocr/acquire_bed.h"

using namespace acquirebed;

namespace {

using Calls = std::vector<std::string>;

class AcquireRunsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NE(Registry(), nullptr) << "menulink.dll beside the test";
    ASSERT_NE(Runs(), nullptr);
    ASSERT_EQ(RunServerCommand(L"/regserver"), 0u);
  }
  void SetUp() override {
    ASSERT_NE(Runs(), nullptr);
    ASSERT_FALSE(ThreadHasOle());
    editor = MakeEditor("OcrTestEditor", "standard");
    SubclassFor(editor, 0);
    ClearMessages();
    ClearServerLog();
    Runs()->setBusyPollLimit(60000);
  }
  void TearDown() override {
    ClearSubclass();
    DestroyEditor(editor);
    // Every way out leaves the thread and the process as they were.
    EXPECT_EQ(AcquireBusy(), 0);
    EXPECT_FALSE(ThreadHasOle());
    EXPECT_FALSE(LaunchMarkerExists());
  }
  std::string Session() {
    return "StartSession(I:" + std::to_string(reinterpret_cast<INT_PTR>(editor->hwnd)) + ")";
  }
  int32_t Acquire() {
    int32_t r = Runs()->acquireText(editor->hwnd, 0);
    Pump(150);  // the paste is posted
    return r;
  }
  Editor* editor = nullptr;
};

struct FailureCase {
  const char* name;
  const char* script;
  int32_t result;
  std::vector<int> messages;
  // Calls after IsAppBusy and StartSession; "*" stands for the full list.
  Calls after;
  bool pastes;
};

const Calls kUntilLoad = {"SaveDocument(\"\")", "LoadImage()"};
Calls Plus(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const Calls kUntilZone = Plus(kUntilLoad, {"ZoneImage(i:-1)"});
const Calls kUntilProcess = Plus(kUntilZone, {"ProcessImages()"});
const Calls kEnd = {"OpenDocument(\"\")", "EndSession()"};
const Calls kFull = Plus(kUntilProcess, Plus({"CheckRecognition(i:-1)", "SaveToClipBoard()"}, kEnd));

const FailureCase kCases[] = {
    {"AllSucceed", "", 0, {}, kFull, true},
    {"StartSessionFails", "StartSession=5", -1, {313}, {"EndSession()"}, false},
    {"StartSessionQuiet", "StartSession=-300", -1, {}, {"EndSession()"}, false},
    {"StartSessionCallFails", "StartSession=error", -1, {}, {"EndSession()"}, false},
    {"StartSessionNoInteger", "StartSession=empty", -1, {}, {"EndSession()"}, false},
    {"LoadImageFails", "LoadImage=7", -1, {314}, Plus(kUntilLoad, kEnd), false},
    {"LoadImageCallFails", "LoadImage=error", -1, {314}, Plus(kUntilLoad, kEnd), false},
    {"LoadImageSpecialSuccess", "LoadImage=0xF831F82A", 0, {}, kFull, true},
    {"LoadImageQuietLowWord", "LoadImage=0x0001F829", -1, {}, Plus(kUntilLoad, kEnd), false},
    {"LoadImageQuiet300", "LoadImage=-300", -1, {}, Plus(kUntilLoad, kEnd), false},
    {"ZoneImageFails", "ZoneImage=3", -1, {322}, Plus(kUntilZone, kEnd), false},
    {"ZoneImageQuiet999", "ZoneImage=0x0005FC19", -1, {}, Plus(kUntilZone, kEnd), false},
    {"ProcessImagesFails", "ProcessImages=4", -1, {316}, Plus(kUntilProcess, kEnd), false},
    {"ProcessImagesQuiet", "ProcessImages=-300", -1, {}, Plus(kUntilProcess, kEnd), false},
    {"ProcessImagesQuiet999", "ProcessImages=-999", -1, {}, Plus(kUntilProcess, kEnd), false},
    {"CheckRecognitionFails", "CheckRecognition=2", 0, {324}, kFull, true},
    {"CheckRecognitionCallFails", "CheckRecognition=error", 0, {}, kFull, true},
    {"CheckRecognitionQuiet", "CheckRecognition=-300", 0, {}, kFull, true},
    {"SaveToClipBoardFails", "SaveToClipBoard=9", 0, {311}, kFull, true},
    {"SaveToClipBoardNoPaste", "SaveToClipBoard=-999", 0, {}, kFull, false},
    {"SaveToClipBoardNoPasteLowWord", "SaveToClipBoard=0x0007FC19", 0, {}, kFull, false},
    {"SaveToClipBoardMinusOneStillPastes", "SaveToClipBoard=-1", 0, {}, kFull, true},
    {"SaveToClipBoardQuiet", "SaveToClipBoard=-300", 0, {}, kFull, true},
    {"SlowServer", "IsAppBusy=1,1,1,1,0\nIsAppBusy.delay=30", 0, {}, kFull, true},
};

TEST_F(AcquireRunsTest, EachStepsFailureTable) {
  for (const FailureCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string text = std::string("Recognised by ") + c.name;
    WriteScript(std::string(c.script) + "\nclipboard=" + text + "\n");
    ClearServerLog();
    ClearMessages();
    editor->pastes = 0;
    editor->paintsWhileBusy = 0;
    InvalidateRect(editor->hwnd, nullptr, FALSE);

    EXPECT_EQ(Acquire(), c.result);
    EXPECT_EQ(MessageIds(), c.messages);
    EXPECT_EQ(ServerCalls(), Plus({"IsAppBusy()", Session()}, c.after));
    EXPECT_EQ(editor->pastes, c.pastes ? 1 : 0);
    if (c.pastes) {
      EXPECT_EQ(editor->pastedText, std::wstring(text.begin(), text.end()));
    }
    if (c.after.size() > 3) {
      EXPECT_GT(editor->paintsWhileBusy, 0) << "the window repaints between steps";
    }
    EXPECT_EQ(AcquireBusy(), 0);
    EXPECT_FALSE(ThreadHasOle());
  }
}

TEST_F(AcquireRunsTest, SlowServerIsPolledUntilIdle) {
  WriteScript("IsAppBusy=1,1,1,1,1,0\n");
  EXPECT_EQ(Acquire(), 0);
  int busy = 0;
  ServerCalls(&busy);
  EXPECT_EQ(busy, 6);
}

TEST_F(AcquireRunsTest, ServerThatNeverGetsIdleEndsWithMessage313) {
  Runs()->setBusyPollLimit(1500);
  for (const char* script : {"IsAppBusy=1\n", "IsAppBusy=error\n"}) {
    SCOPED_TRACE(script);
    WriteScript(script);
    ClearServerLog();
    ClearMessages();
    DWORD start = GetTickCount();
    EXPECT_EQ(Acquire(), -1);
    EXPECT_LT(GetTickCount() - start, 15000u);
    EXPECT_EQ(MessageIds(), std::vector<int>{313});
    EXPECT_EQ(ServerCalls(), Calls{"IsAppBusy()"}) << "no session is started";
    EXPECT_EQ(editor->pastes, 0);
  }
}

TEST_F(AcquireRunsTest, ApplicationsOwnOleStateIsKept) {
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  WriteScript("");
  EXPECT_EQ(Runs()->acquireText(editor->hwnd, 0), 0);
  EXPECT_TRUE(ThreadHasOle()) << "the run's S_FALSE initialisation was undone once only";
  OleUninitialize();
}

TEST_F(AcquireRunsTest, OleThatCannotStartGives313AndItsResult) {
  // A thread in the multithreaded apartment cannot take OleInitialize.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  WriteScript("");
  EXPECT_EQ(Acquire(), RPC_E_CHANGED_MODE);
  EXPECT_EQ(MessageIds(), std::vector<int>{313});
  EXPECT_FALSE(ServerStarted());
  EXPECT_EQ(AcquireBusy(), 0);
  CoUninitialize();
}

TEST_F(AcquireRunsTest, ErrorsAreInTheUserInterfaceLanguage) {
  WritePrivateProfileStringA("Settings", "UILang", "2", "lx70.ini");
  WriteScript("StartSession=5\n");
  EXPECT_EQ(Acquire(), -1);
  WritePrivateProfileStringA("Settings", "UILang", nullptr, "lx70.ini");
  const std::vector<std::string> lines = MessageLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("313|2|", 0), 0u) << lines[0];
  EXPECT_EQ(lines[0].find("Unable to communicate"), std::string::npos) << "German text, not English";
}

TEST_F(AcquireRunsTest, UnregisteredServerGives313AndNoServerStart) {
  ASSERT_EQ(RunServerCommand(L"/unregserver"), 0u);
  WriteScript("");
  int32_t r = Acquire();
  CLSID clsid;
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  HRESULT lookup = CLSIDFromProgID(L"Lexora", &clsid);
  OleUninitialize();
  EXPECT_EQ(RunServerCommand(L"/regserver"), 0u);
  EXPECT_TRUE(FAILED(r));
  EXPECT_EQ(r, lookup) << "the run returns the ProgID lookup's HRESULT";
  EXPECT_EQ(MessageIds(), std::vector<int>{313});
  EXPECT_FALSE(ServerStarted());
  EXPECT_TRUE(ServerCalls().empty());
  EXPECT_EQ(editor->pastes, 0);
}

TEST_F(AcquireRunsTest, CreateOcrClientConnectsToTheRegisteredServer) {
  // Through the run's own pieces: one activation, one client reference.
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  WriteScript("GetEngineVersion.out1=301\n");
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"Lexora", &clsid), S_OK);
  EXPECT_EQ(Runs()->acquireTextSettings(editor->hwnd, -1), 1) << "the thread's own OLE is used";
  EXPECT_EQ(ServerCalls(), (Calls{"IsAppBusy()", Session(), "GetEngineVersion(&i:0)", "OptionDialog(I:6226)",
                                  "EndSession()"}));
  OleUninitialize();
}

struct SettingsCase {
  const char* name;
  const char* script;
  int32_t result;
  std::vector<int> messages;
  Calls after;  // after IsAppBusy and StartSession
};

const SettingsCase kSettingsCases[] = {
    {"Version299",
     "GetEngineVersion.out1=299",
     1,
     {},
     {"GetEngineVersion(&i:0)", "OptionDialog(I:87)", "EndSession()"}},
    {"Version300",
     "GetEngineVersion.out1=300",
     1,
     {},
     {"GetEngineVersion(&i:0)", "OptionDialog(I:6226)", "EndSession()"}},
    {"VersionUnsigned",
     "GetEngineVersion.out1=-2",
     1,
     {},
     {"GetEngineVersion(&i:0)", "OptionDialog(I:6226)", "EndSession()"}},
    {"StartSessionFails", "StartSession=5", 0, {313}, {"EndSession()"}},
    {"StartSessionQuiet", "StartSession=-300", 0, {}, {"EndSession()"}},
    {"EngineVersionFails", "GetEngineVersion=3", 0, {313}, {"GetEngineVersion(&i:0)", "EndSession()"}},
    {"EngineVersionCallFails", "GetEngineVersion=error", 0, {}, {"GetEngineVersion(&i:0)", "EndSession()"}},
    {"OptionDialogFails",
     "OptionDialog=5",
     1,
     {315},
     {"GetEngineVersion(&i:0)", "OptionDialog(I:87)", "EndSession()"}},
    {"OptionDialogQuiet",
     "OptionDialog=-999",
     1,
     {},
     {"GetEngineVersion(&i:0)", "OptionDialog(I:87)", "EndSession()"}},
    {"OptionDialogLowWordIsNotQuiet",
     "OptionDialog=0x0001FC19",
     1,
     {315},
     {"GetEngineVersion(&i:0)", "OptionDialog(I:87)", "EndSession()"}},
};

TEST_F(AcquireRunsTest, SettingsRunTableInNotepad) {
  const int32_t notepad = AppIndex("NOTEPAD.EXE");
  ASSERT_GE(notepad, 0);
  for (const SettingsCase& c : kSettingsCases) {
    SCOPED_TRACE(c.name);
    WriteScript(c.script);
    ClearServerLog();
    ClearMessages();
    EXPECT_EQ(Runs()->acquireTextSettings(editor->hwnd, notepad), c.result);
    EXPECT_EQ(MessageIds(), c.messages);
    EXPECT_EQ(ServerCalls(), Plus({"IsAppBusy()", Session()}, c.after));
    EXPECT_FALSE(ThreadHasOle());
    EXPECT_EQ(AcquireBusy(), 0);
  }
}

TEST_F(AcquireRunsTest, SettingsRunBringsUpOleItselfInEveryApplication) {
  const int32_t wordpad = AppIndex("WORDPAD.EXE");
  ASSERT_GE(wordpad, 0);
  WriteScript("");
  // A thread without OLE, as in most applications: the run brings it up
  // and takes it down again.
  EXPECT_EQ(Runs()->acquireTextSettings(editor->hwnd, wordpad), 1);
  EXPECT_TRUE(MessageIds().empty());
  EXPECT_EQ(ServerCalls().size(), 5u);
  EXPECT_FALSE(ThreadHasOle());

  // A thread that already has OLE keeps it.
  ASSERT_EQ(OleInitialize(nullptr), S_OK);
  ClearServerLog();
  EXPECT_EQ(Runs()->acquireTextSettings(editor->hwnd, wordpad), 1);
  EXPECT_TRUE(ThreadHasOle());
  OleUninitialize();

  // In the multithreaded apartment OLE cannot be brought up: 313, as for
  // "Acquire Text...", and no server.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  ClearServerLog();
  EXPECT_EQ(Runs()->acquireTextSettings(editor->hwnd, wordpad), 0);
  EXPECT_EQ(MessageIds(), std::vector<int>{313});
  EXPECT_FALSE(ServerStarted());
  CoUninitialize();
}

TEST_F(AcquireRunsTest, LaunchMarkerIsTheDefaultValueOfItsKey) {
  Runs()->setLaunchMarker(true);
  char value[32] = "";
  LONG size = sizeof value;
  EXPECT_EQ(
      RegQueryValueA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\glyphtap", value, &size),
      ERROR_SUCCESS);
  EXPECT_STREQ(value, "glyphtap");
  Runs()->setLaunchMarker(false);
  EXPECT_FALSE(LaunchMarkerExists());
}

}  // namespace
