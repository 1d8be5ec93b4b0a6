#include "ripper/ui/folder_paths.h"

#include <gtest/gtest.h>

namespace {

TEST(DriveEntries, LetterLabelAndRoot) {
  EXPECT_EQ(DriveEntryText(L'C', L"SYSTEM"), L"c: [SYSTEM]");
  EXPECT_EQ(DriveEntryText(L'a', L""), L"a:");
  EXPECT_EQ(DriveRootOf(L"c: [SYSTEM]"), L"c:\\");
  EXPECT_EQ(DriveRootOf(L"D:\\music\\x"), L"d:\\");
  EXPECT_EQ(DriveRootOf(L"\\\\server\\share"), L"");
  EXPECT_EQ(DriveRootOf(L"c"), L"");
}

TEST(NormalizeFolder, SeparatorsAndRoots) {
  EXPECT_EQ(NormalizeFolder(L"c:"), L"c:\\");
  EXPECT_EQ(NormalizeFolder(L"c:\\"), L"c:\\");
  EXPECT_EQ(NormalizeFolder(L"c:/music//rock/"), L"c:\\music\\rock");
  EXPECT_EQ(NormalizeFolder(L"c:\\music\\\\"), L"c:\\music");
}

TEST(FolderAncestors, RootThenEachLevel) {
  std::vector<std::wstring> a = FolderAncestors(L"c:\\music\\rock");
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a[0], L"c:\\");
  EXPECT_EQ(a[1], L"c:\\music");
  EXPECT_EQ(a[2], L"c:\\music\\rock");
  EXPECT_EQ(FolderAncestors(L"d:\\").size(), 1u);
  EXPECT_TRUE(FolderAncestors(L"").empty());
}

TEST(ChildFolderPath, OneSeparatorBetween) {
  EXPECT_EQ(ChildFolderPath(L"c:\\", L"mp3"), L"c:\\mp3");
  EXPECT_EQ(ChildFolderPath(L"c:\\music", L"mp3"), L"c:\\music\\mp3");
}

TEST(FolderListEntries, AncestorsOpenThenSortedSubfolders) {
  std::vector<FolderEntry> e = FolderListEntries(L"C:\\Music", {L"rock", L"..", L"Blues", L".", L"jazz"});
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].name, L"c:\\");
  EXPECT_EQ(e[0].depth, 0);
  EXPECT_TRUE(e[0].opened);
  EXPECT_EQ(e[1].name, L"Music");
  EXPECT_EQ(e[1].path, L"C:\\Music");
  EXPECT_EQ(e[1].depth, 1);
  EXPECT_EQ(e[2].name, L"Blues");
  EXPECT_EQ(e[2].path, L"C:\\Music\\Blues");
  EXPECT_EQ(e[2].depth, 2);
  EXPECT_FALSE(e[2].opened);
  EXPECT_EQ(e[3].name, L"jazz");
  EXPECT_EQ(e[4].name, L"rock");
  EXPECT_EQ(CurrentFolderIndex(L"C:\\Music"), 1);
  // At a root the subfolders hang off it directly.
  e = FolderListEntries(L"c:\\", {L"windows"});
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].path, L"c:\\windows");
  EXPECT_EQ(e[1].depth, 1);
}

}  // namespace
