#include "ripper/ui/folder_paths.h"

#include <algorithm>
#include <cwctype>

namespace {

bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool IsSep(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

}  // namespace

std::wstring DriveEntryText(wchar_t letter, const std::wstring& label) {
  std::wstring e(1, static_cast<wchar_t>(std::towlower(letter)));
  e += L":";
  if (!label.empty()) e += L" [" + label + L"]";
  return e;
}

std::wstring DriveRootOf(const std::wstring& s) {
  if (s.size() < 2 || !IsLetter(s[0]) || s[1] != L':') return {};
  return std::wstring(1, static_cast<wchar_t>(std::towlower(s[0]))) + L":\\";
}

std::wstring NormalizeFolder(const std::wstring& path) {
  std::wstring p = path;
  std::replace(p.begin(), p.end(), L'/', L'\\');
  // Collapse runs of separators after the root.
  std::wstring out;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] == L'\\' && !out.empty() && out.back() == L'\\' && i > 2) continue;
    out += p[i];
  }
  size_t rootLen = (out.size() >= 3 && IsLetter(out[0]) && out[1] == L':' && out[2] == L'\\') ? 3 : 1;
  while (out.size() > rootLen && out.back() == L'\\') out.pop_back();
  if (out.size() == 2 && IsLetter(out[0]) && out[1] == L':') out += L'\\';
  return out;
}

std::vector<std::wstring> FolderAncestors(const std::wstring& path) {
  std::wstring p = NormalizeFolder(path);
  std::vector<std::wstring> out;
  if (p.empty()) return out;
  size_t start = 0;
  if (p.size() >= 3 && p[1] == L':' && p[2] == L'\\') {
    out.push_back(p.substr(0, 3));
    start = 3;
  }
  for (size_t i = start; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == L'\\') {
      if (i > start) out.push_back(p.substr(0, i));
      start = i + 1;
    }
  }
  return out;
}

std::wstring FolderDisplayName(const std::wstring& path) {
  std::wstring p = NormalizeFolder(path);
  if (p.size() == 3 && p[1] == L':') return Lower(p);
  size_t cut = p.find_last_of(L'\\');
  return cut == std::wstring::npos ? p : p.substr(cut + 1);
}

std::wstring ChildFolderPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  if (IsSep(folder.back())) return folder + name;
  return folder + L"\\" + name;
}

std::vector<FolderEntry> FolderListEntries(const std::wstring& current,
                                           std::vector<std::wstring> subfolders) {
  std::vector<FolderEntry> out;
  std::vector<std::wstring> anc = FolderAncestors(current);
  for (size_t i = 0; i < anc.size(); ++i) out.push_back({anc[i], FolderDisplayName(anc[i]), int(i), true});
  subfolders.erase(std::remove_if(subfolders.begin(), subfolders.end(),
                                  [](const std::wstring& n) { return n.empty() || n == L"." || n == L".."; }),
                   subfolders.end());
  std::sort(subfolders.begin(), subfolders.end(),
            [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
  std::wstring base = anc.empty() ? current : anc.back();
  for (const std::wstring& n : subfolders)
    out.push_back({ChildFolderPath(base, n), n, int(anc.size()), false});
  return out;
}

int CurrentFolderIndex(const std::wstring& current) { return int(FolderAncestors(current).size()) - 1; }
