#include "ripper/ui/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, EmptyMeansDefaults) {
  CommandLineOptions o = ParseCommandLine({});
  EXPECT_TRUE(o.error.empty());
  EXPECT_FALSE(o.help);
  EXPECT_TRUE(o.discImages.empty());
  EXPECT_TRUE(o.cddbServer.empty());
}

TEST(CommandLine, DiscImagesRepeatInOrderAndOtherOptionsStore) {
  CommandLineOptions o =
      ParseCommandLine({L"--disc-image", L"a.cue", L"--cddb-server", L"http://127.0.0.1:8080/x",
                        L"--disc-image=C:\\b c.cue", L"--cddb-email", L"me@example.org"});
  ASSERT_TRUE(o.error.empty()) << std::string(o.error.begin(), o.error.end());
  ASSERT_EQ(o.discImages.size(), 2u);
  EXPECT_EQ(o.discImages[0], L"a.cue");
  EXPECT_EQ(o.discImages[1], L"C:\\b c.cue");
  EXPECT_EQ(o.cddbServer, L"http://127.0.0.1:8080/x");
  EXPECT_EQ(o.cddbEmail, L"me@example.org");
}

TEST(CommandLine, ValueMayStartWithDashes) {
  CommandLineOptions o = ParseCommandLine({L"--disc-image", L"--help"});
  EXPECT_TRUE(o.error.empty());
  EXPECT_FALSE(o.help);
  ASSERT_EQ(o.discImages.size(), 1u);
  EXPECT_EQ(o.discImages[0], L"--help");
}

TEST(CommandLine, HelpSpellings) {
  for (const wchar_t* h : {L"--help", L"-h", L"/?"}) EXPECT_TRUE(ParseCommandLine({h}).help) << h;
}

TEST(CommandLine, ErrorsNameTheProblemAndShowUsage) {
  struct Case {
    std::vector<std::wstring> args;
    std::wstring mention;
  } cases[] = {
      {{L"--disc"}, L"Unknown option: --disc"},
      {{L"--disc-imagex=a"}, L"Unknown option: --disc-imagex=a"},
      {{L"stray.cue"}, L"Unknown option: stray.cue"},
      {{L"--disc-image"}, L"--disc-image needs a value"},
      {{L"--cddb-server="}, L"--cddb-server needs a non-empty value"},
  };
  for (const Case& c : cases) {
    CommandLineOptions o = ParseCommandLine(c.args);
    EXPECT_NE(o.error.find(c.mention), std::wstring::npos) << std::string(o.error.begin(), o.error.end());
    EXPECT_NE(o.error.find(L"Usage:"), std::wstring::npos);
  }
}

}  // namespace

namespace {

TEST(CommandLine, VerifiedRipOptionsForThisRun) {
  CommandLineOptions d = ParseCommandLine({});
  EXPECT_EQ(d.accurateRipServer, L"http://www.accuraterip.com/accuraterip");
  EXPECT_FALSE(d.secure || d.verify || d.haveReadOffset);

  CommandLineOptions o = ParseCommandLine({L"--read-offset", L"-6", L"--secure", L"--accuraterip-server",
                                           L"http://127.0.0.1:9/ar", L"--verify"});
  ASSERT_TRUE(o.error.empty()) << std::string(o.error.begin(), o.error.end());
  EXPECT_TRUE(o.secure && o.verify && o.haveReadOffset);
  EXPECT_EQ(o.readOffset, -6);
  EXPECT_EQ(o.accurateRipServer, L"http://127.0.0.1:9/ar");
  CommandLineOptions e = ParseCommandLine({L"--read-offset=+667"});
  EXPECT_TRUE(e.haveReadOffset);
  EXPECT_EQ(e.readOffset, 667);
}

TEST(CommandLine, ReadOffsetOutOfRangeOrNotANumberIsRefused) {
  for (const wchar_t* bad : {L"3001", L"six", L"", L"-3001"}) {
    CommandLineOptions o = ParseCommandLine({L"--read-offset", bad});
    EXPECT_FALSE(o.error.empty()) << bad;
    EXPECT_NE(o.error.find(L"--read-offset"), std::wstring::npos) << bad;
    EXPECT_NE(o.error.find(L"Usage:"), std::wstring::npos) << bad;
  }
  // Flags take no value: what follows is the next option.
  CommandLineOptions f = ParseCommandLine({L"--secure", L"--verify=1"});
  EXPECT_NE(f.error.find(L"Unknown option: --verify=1"), std::wstring::npos);
}

}  // namespace
