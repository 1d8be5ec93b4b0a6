#include "menulink/registry/record_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Fields(std::string text, char sep = ',') {
  std::vector<std::string> out;
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back('\0');
  char* rest = buf.data();
  while (char* f = NextField(rest, sep, &rest)) out.emplace_back(f);
  return out;
}

AppRecord Parsed(const char* text) {
  AppRecord rec{};
  ParseRecordText(text, rec);
  return rec;
}

AppRecord Record(const char* module, const char* path, const char* title) {
  AppRecord rec{};
  CopyBounded(rec.module, sizeof rec.module, module);
  CopyBounded(rec.path, sizeof rec.path, path);
  CopyBounded(rec.title, sizeof rec.title, title);
  return rec;
}

std::string Formatted(const AppRecord& rec, std::size_t size = kRecordTextSize) {
  std::vector<char> buf(size + 8, 'X');
  FormatRecordText(rec, buf.data(), size);
  return buf.data();
}

std::string Titled(const char* text, std::size_t size = 64) {
  std::vector<char> buf(size, '\0');
  std::strncpy(buf.data(), text, size - 1);
  ApplyTitleRule(buf.data(), size);
  return buf.data();
}

TEST(NextField, SplitsTrimsAndSkipsEmptyFields) {
  EXPECT_EQ(Fields("a, b, c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Fields("  a  ,   b b  ,c   "), (std::vector<std::string>{"a", "b b", "c"}));
  // An empty field is not returned: the later fields move up.
  EXPECT_EQ(Fields("x, , y"), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(Fields(",,,a,,"), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(Fields("").empty());
  EXPECT_TRUE(Fields(" , ,  ").empty());
  EXPECT_EQ(Fields("a;b", ';'), (std::vector<std::string>{"a", "b"}));
}

TEST(NextField, RestPointsAfterSeparatorOrAtTheEnd) {
  char text[] = "ab  ,cd";
  char* rest = nullptr;
  char* f = NextField(text, ',', &rest);
  ASSERT_NE(f, nullptr);
  EXPECT_STREQ(f, "ab");
  EXPECT_EQ(rest, text + 5);
  f = NextField(rest, ',', &rest);
  EXPECT_STREQ(f, "cd");
  EXPECT_EQ(*rest, '\0');
  EXPECT_EQ(rest, text + 7);
  EXPECT_EQ(NextField(rest, ',', &rest), nullptr);
}

TEST(RecordText, StoredRecordsParseBackToTheirFields) {
  AppRecord word = Record("WINWORD.EXE", "D:\\Office\\WINWORD.EXE", "Microsoft Word");
  std::string text = Formatted(word);
  EXPECT_EQ(text, "WINWORD.EXE, D:\\Office\\WINWORD.EXE, Microsoft Word");
  AppRecord back = Parsed(text.c_str());
  EXPECT_STREQ(back.module, "WINWORD.EXE");
  EXPECT_STREQ(back.path, "D:\\Office\\WINWORD.EXE");
  EXPECT_STREQ(back.title, "Microsoft Word");
  EXPECT_EQ(back.enabled, 1);

  // Two separators together: the title moves into path.
  std::string notepad = Formatted(Record("NOTEPAD.EXE", "", "Notepad"));
  EXPECT_EQ(notepad, "NOTEPAD.EXE, , Notepad");
  AppRecord np = Parsed(notepad.c_str());
  EXPECT_STREQ(np.module, "NOTEPAD.EXE");
  EXPECT_STREQ(np.path, "Notepad");
  EXPECT_STREQ(np.title, "");

  AppRecord blanks = Parsed("   CALC.EXE   ,   C:\\calc.exe  ,   Calculator   ");
  EXPECT_STREQ(blanks.module, "CALC.EXE");
  EXPECT_STREQ(blanks.path, "C:\\calc.exe");
  EXPECT_STREQ(blanks.title, "Calculator");
}

TEST(RecordText, MissingFieldsKeepEarlierValues) {
  AppRecord rec = Record("OLD.EXE", "old path", "old title");
  rec.enabled = 0;
  ParseRecordText("NEW.EXE", rec);
  EXPECT_STREQ(rec.module, "NEW.EXE");
  EXPECT_STREQ(rec.path, "");  // always cleared
  EXPECT_STREQ(rec.title, "old title");
  EXPECT_EQ(rec.enabled, 1);

  rec = Record("OLD.EXE", "old path", "old title");
  ParseRecordText(" , ", rec);
  EXPECT_STREQ(rec.module, "OLD.EXE");
  EXPECT_STREQ(rec.path, "");
}

TEST(RecordText, OverlongFieldsAreCutToTheirSlots) {
  std::string longModule(40, 'M');
  std::string longPath(400, 'P');
  std::string text = longModule + ", " + std::string(100, 'Q') + ", " + std::string(100, 'T');
  AppRecord rec = Parsed(text.c_str());
  EXPECT_EQ(std::string(rec.module), std::string(15, 'M'));
  EXPECT_EQ(std::string(rec.path), std::string(100, 'Q'));
  EXPECT_EQ(std::string(rec.title), std::string(63, 'T'));

  // Texts beyond 255 characters are cut before parsing.
  rec = Parsed((std::string("A.EXE, ") + longPath).c_str());
  EXPECT_STREQ(rec.module, "A.EXE");
  EXPECT_EQ(std::strlen(rec.path), 255u - 7u);
}

TEST(RecordText, ACutFieldEndingInABlankReadsBackTheSame) {
  // Found by fuzzing: the cut left a trailing blank that a reload trimmed.
  AppRecord rec = Parsed("MY LONG PROGRA X.EXE, C:\\P, Title");
  EXPECT_STREQ(rec.module, "MY LONG PROGRA");
  char stored[kRecordTextSize];
  FormatRecordText(rec, stored, sizeof stored);
  AppRecord again = Parsed(stored);
  EXPECT_STREQ(again.module, rec.module);
}

TEST(RecordText, FormatStaysInsideFieldsAndBuffer) {
  AppRecord rec{};
  std::memset(rec.module, 'M', sizeof rec.module);  // no terminator
  std::memset(rec.title, 'T', sizeof rec.title);
  std::memset(rec.path, 'P', sizeof rec.path);
  std::string text = Formatted(rec);
  EXPECT_EQ(text.size(), kRecordTextSize - 1);
  EXPECT_EQ(text.substr(0, 18), std::string(16, 'M') + ", ");

  EXPECT_EQ(Formatted(Record("A.EXE", "p", "t"), 6), "A.EXE");
}

TEST(TitleRule, DocumentNameOrWellKnownProgram) {
  // Case-sensitive: "Wordpad" is not the program name.
  for (auto [text, title] : {std::pair{"Report.doc - Microsoft Word", "Report.doc"},
                             {"Untitled - Notepad", "Notepad"},
                             {"", ""},
                             {"Document - WordPad", "WordPad"},
                             {"Notepad and WordPad", "WordPad"},
                             {"a-b - c - d", "a-b"},
                             {"Document - Wine Wordpad", "Document"},
                             {"no hyphen here", "no hyphen here"},
                             {"-x - y", "-x"},
                             {"trailing -", "trailing -"}})
    EXPECT_EQ(Titled(text), title) << text;
}

TEST(CopyBounded, CutsAndTerminates) {
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_TRUE(CopyBounded(buf, sizeof buf, "abc"));
  EXPECT_STREQ(buf, "abc");
  EXPECT_FALSE(CopyBounded(buf, sizeof buf, "abcdef"));
  EXPECT_STREQ(buf, "abc");
  EXPECT_TRUE(CopyBounded(buf, sizeof buf, nullptr));
  EXPECT_STREQ(buf, "");
  EXPECT_FALSE(CopyBounded(buf, 0, "a"));
}

}  // namespace
