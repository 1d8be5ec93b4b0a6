// Path arithmetic behind the drive list and the folder list of the main
// window (entries like a VB DriveListBox and DirListBox).
#pragma once
#include <string>
#include <vector>

// "c: [label]", or "c:" when the drive has no label. Letter shown lower case.
std::wstring DriveEntryText(wchar_t letter, const std::wstring& label);
// The root "x:\" of a drive entry or path; empty when it has no drive letter.
std::wstring DriveRootOf(const std::wstring& entryOrPath);

// Drops trailing separators except the root's own, turns '/' into '\'.
std::wstring NormalizeFolder(const std::wstring& path);
// "c:\a\b" -> {"c:\", "c:\a", "c:\a\b"}.
std::vector<std::wstring> FolderAncestors(const std::wstring& path);
// Last component as the folder list shows it: the root "c:\" or "b".
std::wstring FolderDisplayName(const std::wstring& path);
// folder + name with one separator between them.
std::wstring ChildFolderPath(const std::wstring& folder, const std::wstring& name);

// One line of the folder list.
struct FolderEntry {
  std::wstring path;
  std::wstring name;
  int depth;    // indentation level
  bool opened;  // an ancestor or the current folder (open folder glyph)
};
// The ancestors of current, then its subfolders (names sorted
// case-insensitively, "." and ".." dropped).
std::vector<FolderEntry> FolderListEntries(const std::wstring& current, std::vector<std::wstring> subfolders);
// Index of the current folder in FolderListEntries' result.
int CurrentFolderIndex(const std::wstring& current);
