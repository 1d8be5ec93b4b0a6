#include <gtest/gtest.h>

#include "tools/ocrserver/server_script.h"

namespace {

TEST(ServerScript, AnswersInSequenceAndRepeatsTheLast) {
  ServerScript s;
  s.Parse("# comment\r\nisappbusy=1, 1 ,0\nLoadImage=0xF831F82A\nZoneImage=error\nSaveToClipBoard=empty\n");
  EXPECT_EQ(s.NextAnswer("IsAppBusy").value, 1);
  EXPECT_EQ(s.NextAnswer("IsAppBusy").value, 1);
  EXPECT_EQ(s.NextAnswer("IsAppBusy").value, 0);
  EXPECT_EQ(s.NextAnswer("IsAppBusy").value, 0);
  EXPECT_EQ(s.NextAnswer("LoadImage").value, static_cast<int32_t>(0xF831F82Au));
  EXPECT_EQ(s.NextAnswer("ZoneImage").kind, ScriptAnswer::Error);
  EXPECT_EQ(s.NextAnswer("SaveToClipBoard").kind, ScriptAnswer::Empty);
  ScriptAnswer unscripted = s.NextAnswer("EndSession");
  EXPECT_EQ(unscripted.kind, ScriptAnswer::Value);
  EXPECT_EQ(unscripted.value, 0);
}

TEST(ServerScript, DelaysOutputsAndClipboard) {
  ServerScript s;
  s.Parse(
      "IsAppBusy.delay=25\nGetEngineVersion.out1=299\nListExportFormats.out2=3\nclipboard=Hello, world\n");
  EXPECT_EQ(s.DelayMs("isappbusy"), 25u);
  std::string text;
  ASSERT_TRUE(s.Out("GetEngineVersion", 1, &text));
  EXPECT_EQ(text, "299");
  EXPECT_FALSE(s.Out("ListExportFormats", 1, &text));
  ASSERT_TRUE(s.Out("ListExportFormats", 2, &text));
  EXPECT_EQ(text, "3");
  ASSERT_TRUE(s.HasClipboard());
  EXPECT_EQ(s.Clipboard(), "Hello, world");
}

TEST(ServerScript, BadLinesAreSkipped) {
  ServerScript s;
  s.Parse("LoadImage=12x\nZoneImage=\n=5\nStartSession.delay=-3\nProcessImages=4,junk\nnoequals\n");
  EXPECT_EQ(s.NextAnswer("LoadImage").value, 0);
  EXPECT_EQ(s.NextAnswer("ZoneImage").value, 0);
  EXPECT_EQ(s.DelayMs("StartSession"), 0u);
  EXPECT_EQ(s.NextAnswer("ProcessImages").value, 0) << "a list with junk is refused whole";
  EXPECT_FALSE(s.HasClipboard());
}

TEST(ServerScript, IntegersAndLogQuoting) {
  int32_t v = 0;
  EXPECT_TRUE(ParseScriptInt("-999", &v));
  EXPECT_EQ(v, -999);
  EXPECT_TRUE(ParseScriptInt("0xFFFFFFFF", &v));
  EXPECT_EQ(v, -1);
  EXPECT_FALSE(ParseScriptInt("0x", &v));
  EXPECT_FALSE(ParseScriptInt("-", &v));
  EXPECT_EQ(QuoteLogText(u""), "\"\"");
  EXPECT_EQ(QuoteLogText(u"a\"b\\c\u00e9\n"), "\"a\\\"b\\\\c\\u00E9\\u000A\"");
}

}  // namespace
