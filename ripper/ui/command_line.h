// wavequill's command-line options.
#pragma once
#include <string>
#include <vector>

struct CommandLineOptions {
  std::vector<std::wstring> discImages;  // --disc-image PATH, repeatable
  std::wstring cddbServer;               // --cddb-server URL
  std::wstring cddbEmail;                // --cddb-email ADDR
  bool help = false;                     // --help, -h, /?
  std::wstring error;                    // non-empty: what was wrong
};

// args excludes the program name. Both "--opt VALUE" and "--opt=VALUE".
CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args);

std::wstring UsageText();
