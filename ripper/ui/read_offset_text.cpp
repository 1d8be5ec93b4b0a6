#include "ripper/ui/read_offset_text.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

bool ParseReadOffset(const std::wstring& text, int32_t& value) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  if (i == end) return false;
  long long n = 0;
  for (; i < end; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    n = n * 10 + (text[i] - L'0');
    if (n > kReadOffsetMax + 1LL) return false;  // long digit runs cannot overflow
  }
  if (negative) n = -n;
  if (n < kReadOffsetMin || n > kReadOffsetMax) return false;
  value = static_cast<int32_t>(n);
  return true;
}

std::wstring ReadOffsetText(int32_t value) { return (value > 0 ? L"+" : L"") + std::to_wstring(value); }

bool StoredReadOffset(uint32_t stored, int32_t& value) {
  // Saved as the two's complement of the signed number.
  const int64_t n = stored >= 0x80000000u ? int64_t(stored) - 0x100000000LL : int64_t(stored);
  if (n < kReadOffsetMin || n > kReadOffsetMax) return false;
  value = static_cast<int32_t>(n);
  return true;
}

std::wstring DriveSettingName(const std::wstring& d) {
  const bool letter = d.size() >= 2 && ((d[0] >= L'A' && d[0] <= L'Z') || (d[0] >= L'a' && d[0] <= L'z')) &&
                      d[1] == L':' && (d.size() == 2 || d[2] == L' ');
  std::wstring name = letter ? d.substr(d.size() > 2 ? 3 : 2) : d;
  while (!name.empty() && name.front() == L' ') name.erase(name.begin());
  while (!name.empty() && name.back() == L' ') name.pop_back();
  // A drive with no name of its own still needs a value name.
  return name.empty() ? std::wstring(L"CD-ROM drive") : name;
}

std::wstring ReadOffsetRangeMessage() {
  return L"Please type a whole number of samples from " + std::to_wstring(kReadOffsetMin) + L" to +" +
         std::to_wstring(kReadOffsetMax) + L", for example +6.";
}
