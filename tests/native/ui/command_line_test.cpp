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
