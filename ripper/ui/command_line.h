// wavequill's command-line options.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr wchar_t kDefaultAccurateRipServer[] = L"http://www.accuraterip.com/accuraterip";

struct CommandLineOptions {
  std::vector<std::wstring> discImages;  // --disc-image PATH, repeatable
  std::wstring cddbServer;               // --cddb-server URL
  std::wstring cddbEmail;                // --cddb-email ADDR
  // For this run only, never saved.
  std::wstring accurateRipServer = kDefaultAccurateRipServer;  // --accuraterip-server URL
  bool haveReadOffset = false;                                 // --read-offset N
  int32_t readOffset = 0;
  bool secure = false;  // --secure
  bool verify = false;  // --verify
  bool help = false;    // --help, -h, /?
  std::wstring error;   // non-empty: what was wrong
};

// args excludes the program name. Both "--opt VALUE" and "--opt=VALUE".
CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args);

std::wstring UsageText();
