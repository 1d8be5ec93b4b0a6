// wavequill.exe: parses the command line, creates the components and the
// main window, and runs the message loop until the main window is unloaded.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "ripper/engine/encoder_slots.h"
#include "ripper/engine/ui_dispatch.h"
#include "ripper/engine/user_message.h"
#include "ripper/ui/command_line.h"
#include "ripper/ui/form1.h"

#include "components/accuraterip/accuraterip.h"
#include "components/cddb/cddb.h"
#include "components/cdreader/cdreader.h"
#include "components/mp3enc/mp3enc.h"

namespace {

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> args;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  return args;
}

// One encoder per logical processor (at most 8); WQ_ENCODERS=1..8 sets the
// number, for tests and benchmarks.
int EncoderSlotsForThisMachine() {
  wchar_t text[8] = {};
  const DWORD n = GetEnvironmentVariableW(L"WQ_ENCODERS", text, 8);
  const int processors = static_cast<int>(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS));
  return ChooseEncoderSlots(processors, n > 0 && n < 8 ? std::wstring(text, n) : std::wstring());
}

Form1Components CreateComponents(const CommandLineOptions& o) {
  Form1Components c;
  c.reader = CreateCdReader(o.discImages);
  c.encoder = CreateMp3Encoder();
  for (int s = 1; s < EncoderSlotsForThisMachine(); ++s) c.moreEncoders.push_back(CreateMp3Encoder());
  c.cddb = CreateCddbClient(*c.reader, o.cddbServer);
  if (!o.cddbEmail.empty()) c.cddb->SetEmail(o.cddbEmail);
  c.accurateRip = CreateAccurateRipDb();
  c.accurateRip->SetServer(o.accurateRipServer);
  return c;
}

int Run() {
  CommandLineOptions options = ParseCommandLine(Arguments());
  if (!options.error.empty()) {
    ShowUserMessage(nullptr, options.error);
    return 2;
  }
  if (options.help) {
    ShowUserMessage(nullptr, UsageText());
    return 0;
  }
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&icc);
  if (!UiDispatchInit()) {
    ShowUserMessage(nullptr, L"wavequill cannot start: its message window cannot be created.");
    return 1;
  }
  int code = 0;
  {
    Form1 form(CreateComponents(options));
    form.SetRunOptions(
        RunOptions{options.secure, options.verify, options.haveReadOffset, options.readOffset});
    if (!form.Load()) {
      code = 1;
    } else {
      form.Show();
      MSG msg;
      BOOL got;
      while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        HWND main = form.Hwnd();
        if (main && IsDialogMessageW(main, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  UiDispatchShutdown();
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return Run();
  } catch (...) {
    ShowUserMessage(nullptr, L"wavequill stopped after an unexpected error.");
    return 3;
  }
}
