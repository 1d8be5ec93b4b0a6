#include "ripper/ui/command_line.h"

#include "ripper/ui/read_offset_text.h"

namespace {

struct ValueOption {
  const wchar_t* name;
  std::wstring CommandLineOptions::*single;  // null: handled by name in Store
};

constexpr ValueOption kValueOptions[] = {
    {L"--disc-image", nullptr},
    {L"--cddb-server", &CommandLineOptions::cddbServer},
    {L"--cddb-email", &CommandLineOptions::cddbEmail},
    {L"--accuraterip-server", &CommandLineOptions::accurateRipServer},
    {L"--read-offset", nullptr},
};

struct FlagOption {
  const wchar_t* name;
  bool CommandLineOptions::*flag;
};

constexpr FlagOption kFlagOptions[] = {
    {L"--secure", &CommandLineOptions::secure},
    {L"--verify", &CommandLineOptions::verify},
};

// False with o.error set when the value is refused.
bool Store(CommandLineOptions& o, const ValueOption& opt, const std::wstring& value) {
  if (opt.single) {
    o.*(opt.single) = value;
  } else if (std::wstring(opt.name) == L"--read-offset") {
    if (!ParseReadOffset(value, o.readOffset)) {
      o.error = L"The option --read-offset needs a number of samples from -3000 to 3000, not " + value +
                L".\n\n" + UsageText();
      return false;
    }
    o.haveReadOffset = true;
  } else {
    o.discImages.push_back(value);
  }
  return true;
}

const FlagOption* FindFlag(const std::wstring& a) {
  for (const FlagOption& f : kFlagOptions)
    if (a == f.name) return &f;
  return nullptr;
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args) {
  CommandLineOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    if (a == L"--help" || a == L"-h" || a == L"/?") {
      o.help = true;
      continue;
    }
    if (const FlagOption* f = FindFlag(a)) {
      o.*(f->flag) = true;
      continue;
    }
    const ValueOption* match = nullptr;
    std::wstring value;
    bool haveValue = false;
    for (const ValueOption& opt : kValueOptions) {
      std::wstring name = opt.name;
      if (a == name) {
        match = &opt;
      } else if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == L'=') {
        match = &opt;
        value = a.substr(name.size() + 1);
        haveValue = true;
      }
      if (match) break;
    }
    if (!match) {
      o.error = L"Unknown option: " + a + L"\n\n" + UsageText();
      return o;
    }
    if (!haveValue) {
      if (i + 1 >= args.size()) {
        o.error = std::wstring(L"The option ") + match->name + L" needs a value.\n\n" + UsageText();
        return o;
      }
      value = args[++i];
    }
    if (value.empty()) {
      o.error = std::wstring(L"The option ") + match->name + L" needs a non-empty value.\n\n" + UsageText();
      return o;
    }
    if (!Store(o, *match, value)) return o;
  }
  return o;
}

std::wstring UsageText() {
  return L"Usage: wavequill.exe [options]\n"
         L"\n"
         L"--disc-image PATH\tadd a disc image (CUE sheet with a raw BIN) as a CD drive;"
         L" may be given several times\n"
         L"--cddb-server URL\tthe CDDB server's cddb.cgi address"
         L" (default: the public gnudb server)\n"
         L"--cddb-email ADDR\tthe contact e-mail address sent to the CDDB server\n"
         L"--accuraterip-server URL\tthe AccurateRip database's address"
         L" (default: http://www.accuraterip.com/accuraterip)\n"
         L"--read-offset N\tthe drive's read-offset correction in samples, -3000 to 3000\n"
         L"--secure\t\tread every track twice and compare\n"
         L"--verify\t\tverify the tracks with AccurateRip\n"
         L"(these four apply to this run only and are not saved)\n"
         L"--help\t\tshow this text";
}
