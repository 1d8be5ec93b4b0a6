// What Windows accepts as one file name inside a folder, checked from the
// outside for the title tests and the fuzzer.
#pragma once
#include <cwctype>
#include <string>

namespace file_name_check {

inline bool IsReservedDeviceName(const std::wstring& name) {
  // The part before the first dot, blanks trimmed, is what Windows compares.
  std::wstring base = name.substr(0, name.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = wchar_t(std::towupper(c));
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0))
    return base[3] >= L'1' && base[3] <= L'9';
  return false;
}

// Empty string when valid, else why not.
inline std::string FileNameProblem(const std::wstring& name) {
  if (name.empty()) return "empty";
  if (name.size() > 255) return "longer than 255";
  if (name == L"." || name == L"..") return "dot name";
  for (size_t i = 0; i < name.size(); ++i) {
    wchar_t c = name[i];
    if (c < 0x20) return "control character";
    if (std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return "forbidden character";
    if (c >= 0xDC00 && c <= 0xDFFF && (i == 0 || !(name[i - 1] >= 0xD800 && name[i - 1] <= 0xDBFF)))
      return "lone low surrogate";
    if (c >= 0xD800 && c <= 0xDBFF &&
        (i + 1 == name.size() || !(name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF)))
      return "lone high surrogate";
  }
  if (name.back() == L'.' || name.back() == L' ') return "trailing dot or blank";
  if (IsReservedDeviceName(name)) return "device name";
  return "";
}

}  // namespace file_name_check
