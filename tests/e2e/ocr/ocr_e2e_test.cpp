// "Acquire Text..." chosen in Wine's own notepad and wordpad, with the
// controller stand-in hooking them and the stand-in OCR server answering:
// the server's text must arrive in the editor through its own Edit > Paste.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menulink/registry/internals.h"
#include "tests/e2e/harness/e2e_harness.h"
#include "common/proc_address.h"

namespace {

std::wstring Bin(const wchar_t* name) { return BinDir() + L"\\" + name; }

// Calls the server received, without its own '#' notes and with the
// polling IsAppBusy() calls collapsed.
std::vector<std::string> ServerCalls() {
  std::vector<std::string> calls;
  std::string text = ReadAll(Bin(L"ocrserver-calls.log"));
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line == "IsAppBusy()" && !calls.empty() && calls.back() == line) continue;
    calls.push_back(line);
  }
  return calls;
}

const MenulinkInternalsTable* Library() {
  static const MenulinkInternalsTable* table = [] {
    HMODULE dll = LoadLibraryW(Bin(L"testlib\\menulink.dll").c_str());
    auto proc = dll ? ProcAddress<MenulinkInternalsProc>(dll, "MenulinkInternals") : nullptr;
    return proc ? proc() : nullptr;
  }();
  return table;
}

// Slots this test enabled, switched off again at the end: the shared table
// outlives the test in every process that keeps the library loaded.
std::vector<int32_t> enabledSlots;

void Register(const char* module) {
  int32_t index = -1;
  ASSERT_TRUE(Library()->findByModule(module, &index));
  if (index < 0) index = Library()->add(nullptr, module, "unknown");
  ASSERT_GE(index, 0);
  ASSERT_TRUE(Library()->enable(index));
  enabledSlots.push_back(index);
}

HWND FindChild(HWND parent, const std::wstring& classPrefix) {
  struct Search {
    std::wstring prefix;
    HWND found = nullptr;
  } s{classPrefix};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t cls[64];
        GetClassNameW(w, cls, 64);
        if (_wcsnicmp(cls, s->prefix.c_str(), s->prefix.size()) == 0) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

class OcrE2eTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NE(Library(), nullptr);
    ASSERT_EQ(RunToEnd(L"\"" + Bin(L"ocrserver.exe") + L"\" /regserver"), 0);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"MenulinkController.Ready");
    ResetEvent(ready);
    controller = new e2e::Process;
    ASSERT_TRUE(controller->Start(Bin(L"controller.exe"),
                                  L"--dll \"" + Bin(L"testlib\\menulink.dll") + L"\" --lifetime 300000"));
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0) << "controller hooked";
    CloseHandle(ready);
  }
  static void TearDownTestSuite() {
    if (HWND w = FindWindowW(L"Korvane.Glyphtap32", nullptr)) {
      DWORD_PTR r;
      SendMessageTimeoutW(w, RegisterWindowMessageW(L"MenulinkController.Quit"), 0, 0, SMTO_ABORTIFHUNG, 3000,
                          &r);
    }
    delete controller;
    controller = nullptr;
    for (int32_t index : enabledSlots) Library()->disable(index);
    enabledSlots.clear();
  }

  // Opens File from the keyboard, walks up from the first item (wrapping to
  // the last) until "Acquire Text..." is highlighted and presses Enter.
  void ChooseAcquireText(HWND app) {
    e2e::MenuProbe probe;
    ASSERT_TRUE(probe.Attach(app)) << std::string(probe.error().begin(), probe.error().end());
    std::vector<e2e::MenuItem> items;
    auto acquireItem = [&]() -> const e2e::MenuItem* {
      items.clear();
      if (!probe.Items(0, items, 1000)) return nullptr;
      for (auto& i : items)
        if (i.text == L"Acquire Text...") return &i;
      return nullptr;
    };
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
      PostMessageW(app, WM_SYSCOMMAND, SC_KEYMENU, 'f');
      opened = e2e::WaitFor([&] { return acquireItem() != nullptr; }, 5000);
    }
    ASSERT_TRUE(opened) << "the File menu shows the commands";
    bool highlighted = false;
    for (size_t k = 0; k < items.size() + 2 && !highlighted; ++k) {
      PostMessageW(app, WM_KEYDOWN, VK_UP, 0);
      PostMessageW(app, WM_KEYUP, VK_UP, 0xC0000001);
      highlighted = e2e::WaitFor(
          [&] {
            const e2e::MenuItem* i = acquireItem();
            return i && (i->state & MF_HILITE) != 0;
          },
          700);
    }
    ASSERT_TRUE(highlighted) << "keyboard reached Acquire Text...";
    PostMessageW(app, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(app, WM_KEYUP, VK_RETURN, 0xC0000001);
  }

  static std::vector<std::string> FullSession(HWND window) {
    return {"IsAppBusy()",
            "StartSession(I:" + std::to_string(reinterpret_cast<INT_PTR>(window)) + ")",
            "SaveDocument(\"\")",
            "LoadImage()",
            "ZoneImage(i:-1)",
            "ProcessImages()",
            "CheckRecognition(i:-1)",
            "SaveToClipBoard()",
            "OpenDocument(\"\")",
            "EndSession()"};
  }

  void AcquireInto(const wchar_t* exe, const char* module, const wchar_t* windowClass,
                   const wchar_t* editClass) {
    Register(module);
    const std::string text = std::string("Recognised for ") + module;
    ASSERT_TRUE(WriteAll(Bin(L"ocrserver-script.txt"), "IsAppBusy=1,1,0\nclipboard=" + text + "\n"));
    DeleteFileW(Bin(L"ocrserver-calls.log").c_str());

    e2e::Process app;
    ASSERT_TRUE(app.Start(exe, L""));
    HWND window = app.WaitTopWindow(windowClass, 20000);
    ASSERT_NE(window, nullptr);
    DWORD_PTR r;
    SendMessageTimeoutW(window, WM_ACTIVATEAPP, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &r);
    HWND edit = FindChild(window, editClass);
    ASSERT_NE(edit, nullptr);

    ChooseAcquireText(window);
    const std::wstring expected(text.begin(), text.end());
    auto editText = [&] {
      wchar_t buf[512] = {};
      SendMessageTimeoutW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, &r);
      return std::wstring(buf);
    };
    EXPECT_TRUE(e2e::WaitFor([&] { return editText().find(expected) != std::wstring::npos; }, 30000))
        << "edit control holds: " << std::string(editText().begin(), editText().end());

    EXPECT_EQ(ServerCalls(), FullSession(window));
    app.Terminate();
  }

  static e2e::Process* controller;
};

e2e::Process* OcrE2eTest::controller = nullptr;

TEST_F(OcrE2eTest, NotepadReceivesTheTextThroughItsOwnPaste) {
  AcquireInto(L"C:\\windows\\system32\\notepad.exe", "NOTEPAD.EXE", L"Notepad", L"Edit");
}

TEST_F(OcrE2eTest, WordpadReceivesTheTextThroughItsOwnPaste) {
  // %ProgramFiles% names the wordpad of this test's own width: a hook DLL
  // loads only into processes of its own bitness.
  wchar_t exe[MAX_PATH];
  ASSERT_GT(ExpandEnvironmentStringsW(L"%ProgramFiles%\\Windows NT\\Accessories\\wordpad.exe", exe, MAX_PATH),
            0u);
  AcquireInto(exe, "WORDPAD.EXE", L"WORDPADTOP", L"RichEdit");
}

TEST_F(OcrE2eTest, WordProcessorWithoutOpenDocumentGetsTheNoDocumentBox) {
  // The test editor under a module name of its own, posing as a word
  // processor frame whose File > Close is greyed.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring exe = std::wstring(temp) + L"OCRAMI.EXE";
  ASSERT_TRUE(CopyFileW(Bin(L"testeditor.exe").c_str(), exe.c_str(), FALSE));
  Register("OCRAMI.EXE");
  ASSERT_TRUE(WriteAll(Bin(L"ocrserver-script.txt"), "clipboard=not pasted\n"));
  DeleteFileW(Bin(L"ocrserver-calls.log").c_str());

  e2e::Process app;
  ASSERT_TRUE(app.Start(exe, L"--class AmiProWndA --layout close --close-grayed --lifetime 120000"));
  HWND window = app.WaitTopWindow(L"AmiProWndA", 20000);
  ASSERT_NE(window, nullptr);
  DWORD_PTR r;
  SendMessageTimeoutW(window, WM_ACTIVATEAPP, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &r);

  ChooseAcquireText(window);
  std::wstring text;
  EXPECT_TRUE(e2e::WaitMessageBox(app, L"Glyphtap", &text, 30000));
  EXPECT_EQ(text, L"There is no document open. The recognized text has been copied to the Clipboard.");
  EXPECT_EQ(ServerCalls(), FullSession(window));
  app.Terminate();
  DeleteFileW(exe.c_str());
}

}  // namespace
