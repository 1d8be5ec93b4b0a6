// The image test on buffers, the companion's entries, and the name rules
// of listing and registration.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "menulink/registry/ini_apps.h"
#include "menulink/registry/module_names.h"
#include "menulink/registry/pe_image.h"

namespace {

std::vector<std::uint8_t> Image(std::uint32_t peAt, std::size_t size, const char* sig = "PE\0\0") {
  std::vector<std::uint8_t> b(size, 0);
  b[0] = 'M', b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[60 + i] = (std::uint8_t)(peAt >> (8 * i));
  if (peAt + 4 <= size) std::memcpy(&b[peAt], sig, 4);
  return b;
}

TEST(PeImage, TheSignatureAtTheNewHeaderOffsetMakesAnImage) {
  auto pe = Image(0x80, 0x200);
  EXPECT_TRUE(IsPeImageBuffer(pe.data(), pe.size()));
  // A 16-bit "NE" image and a DOS program are not.
  auto ne = Image(0x80, 0x200, "NE\0\0");
  EXPECT_FALSE(IsPeImageBuffer(ne.data(), ne.size()));
  auto pe1 = Image(0x80, 0x200, "PE\1\0");
  EXPECT_FALSE(IsPeImageBuffer(pe1.data(), pe1.size()));
  std::vector<std::uint8_t> text(300, 'a');
  EXPECT_FALSE(IsPeImageBuffer(text.data(), text.size()));
}

TEST(PeImage, ShortFilesAndOffsetsPastTheEndAreNotImages) {
  auto pe = Image(0x80, 0x84);  // signature in the last four bytes
  EXPECT_TRUE(IsPeImageBuffer(pe.data(), pe.size()));
  for (std::size_t n = 0; n < pe.size(); ++n) {
    std::vector<std::uint8_t> cut(pe.begin(), pe.begin() + (long)n);
    EXPECT_FALSE(IsPeImageBuffer(cut.data(), cut.size())) << n;
  }
  auto far = Image(0xFFFFFFF0u, 0x100);
  EXPECT_FALSE(IsPeImageBuffer(far.data(), far.size()));
  EXPECT_FALSE(IsPeImageBuffer(nullptr, 0));
}

struct Entry {
  int flag;
  std::string name;
};
Entry Parse(const char* text, std::size_t size = 256) {
  std::vector<char> name(size ? size : 1, 'x');
  int flag = ParseIniAppEntry(text, size ? name.data() : nullptr, size);
  return {flag, size ? std::string(name.data()) : std::string()};
}

TEST(IniEntry, TitleWithSuffixOrModuleAlone) {
  Entry e = Parse("WINWORD.EXE,Microsoft Word,1");
  EXPECT_EQ(e.flag, 1);
  EXPECT_EQ(e.name, "Microsoft Word (Win3.x App)");
  e = Parse("AMIPROUI.DLL,unknown,0");
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.name, "AMIPROUI.DLL");
  e = Parse("X.EXE,UNKNOWN,1");
  EXPECT_EQ(e.name, "X.EXE");
}

TEST(IniEntry, WithoutTwoCommasTheEntryIsMalformed) {
  EXPECT_EQ(Parse("WINWORD.EXE").flag, -1);
  EXPECT_EQ(Parse("WINWORD.EXE,Word").flag, -1);
  EXPECT_EQ(Parse("").flag, -1);
  EXPECT_EQ(ParseIniAppEntry(nullptr, nullptr, 0), -1);
}

TEST(IniEntry, TheFlagIsTheNumberAtTheStartOfTheRest) {
  EXPECT_EQ(Parse("A.EXE,T,12,more").flag, 12);
  EXPECT_EQ(Parse("A.EXE,T,").flag, 0);
  EXPECT_EQ(Parse("A.EXE,T,yes").flag, 0);
  EXPECT_EQ(Parse("A.EXE,T,99999999999999999999").flag, 0x7FFFFFFF);
  // Commas inside the rest belong to the rest.
  Entry e = Parse("A.EXE,Title,1,2,3");
  EXPECT_EQ(e.name, "Title (Win3.x App)");
}

TEST(IniEntry, LongNamesAreCutToTheBuffer) {
  std::string text = "M.EXE," + std::string(400, 't') + ",1";
  Entry e = Parse(text.c_str(), 32);
  EXPECT_EQ(e.flag, 1);
  EXPECT_EQ(e.name, std::string(31, 't'));
  e = Parse("M.EXE,Word,1", 12);
  EXPECT_EQ(e.name, "Word (Win3.");
}

TEST(ModuleNames, ListingExclusionsIgnoreCase) {
  for (const char* m : {"EXPLORER.EXE", "iexplore.exe", "Ole32.dll"}) EXPECT_TRUE(IsListingExcluded(m)) << m;
  // Only the hook leaves wsapi.dll alone.
  for (const char* m : {"wsapi.dll", "notepad.exe", "explorer.exe.bak"})
    EXPECT_FALSE(IsListingExcluded(m)) << m;
}

TEST(ModuleNames, OverlongNamesAreCutToTheTableField) {
  char out[64];
  EXPECT_TRUE(FitModuleName(out, sizeof out, "NOTEPAD.EXE"));
  EXPECT_STREQ(out, "NOTEPAD.EXE");
  EXPECT_TRUE(FitModuleName(out, sizeof out, "ABCDEFGHIJK.EXE"));  // 15 fit
  EXPECT_FALSE(FitModuleName(out, sizeof out, "ABCDEFGHIJKL.EXE"));
  EXPECT_STREQ(out, "ABCDEFGHIJKL.EX");
  std::string huge(5000, 'q');
  EXPECT_FALSE(FitModuleName(out, 4, huge.c_str()));
  EXPECT_STREQ(out, "qqq");
}

TEST(ModuleNames, ExtensionIsTheTextAfterTheLastDot) {
  for (const char* exe : {"C:\\APPS\\NOTEPAD.EXE", "c:\\apps\\x.exe"})
    EXPECT_TRUE(EndsWithExeExtension(exe)) << exe;
  for (const char* other : {"C:\\APPS\\NOTEPAD.EXE.BAK", "C:\\APPS.EXE\\README", "NOTEPAD"})
    EXPECT_FALSE(EndsWithExeExtension(other)) << other;
  EXPECT_STREQ(AfterLastBackslash("C:\\A\\B.EXE"), "B.EXE");
  EXPECT_STREQ(AfterLastBackslash("B.EXE"), "B.EXE");
}

TEST(ModuleNames, SubstitutesReplaceOnlyWhenTheyFit) {
  // A failed edit leaves the text as it was.
  struct Case {
    bool (*edit)(char*, std::size_t, const char*, const char*);
    std::size_t size;
    const char *text, *from, *to, *result;
  };
  for (const Case& c :
       {Case{CutAndAppend, 24, "C:\\W\\123W.EXE", "123W.EXE", "MAIN123W.DLL", "C:\\W\\MAIN123W.DLL"},
        Case{CutAndAppend, 16, "C:\\W\\123W.EXE", "123W.EXE", "MAIN123W.DLL", nullptr},
        Case{CutAndAppend, 24, "C:\\W\\MAIN123W.DLL", "WPWIN.EXE", "X", nullptr},
        Case{ReplaceFirst, 32, "C:\\WRITE.EXE", "WRITE.EXE", "WORDPAD.EXE", "C:\\WORDPAD.EXE"},
        Case{ReplaceFirst, 14, "C:\\WRITE.EXE", "WRITE.EXE", "WORDPAD.EXE", nullptr}}) {
    std::vector<char> buf(c.size);  // exactly the size given, for the sanitizers
    std::strcpy(buf.data(), c.text);
    EXPECT_EQ(c.edit(buf.data(), c.size, c.from, c.to), c.result != nullptr) << c.text << " " << c.size;
    EXPECT_STREQ(buf.data(), c.result ? c.result : c.text);
  }
}

}  // namespace
