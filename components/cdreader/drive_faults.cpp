#include "components/cdreader/drive_faults.h"

#include <cstdio>
#include <cstdlib>

namespace cdr {
namespace {

std::wstring Widen(std::string_view s) {
  std::wstring w;
  for (char c : s) w += wchar_t(static_cast<unsigned char>(c) < 0x80 ? c : '?');
  return w;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    size_t b = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i > b) out.push_back(s.substr(b, i - b));
  }
  return out;
}

// Decimal digits only, at most limit.
bool Unsigned(std::string_view s, uint64_t limit, uint64_t& v) {
  if (s.empty() || s.size() > 12) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + uint64_t(c - '0');
  }
  return v <= limit;
}

bool Range(std::string_view s, uint32_t& first, uint32_t& count, std::wstring& why) {
  size_t dash = s.find('-');
  uint64_t a = 0, b = 0;
  bool ok = Unsigned(s.substr(0, dash), kMaxFaultLba, a);
  b = a;
  if (ok && dash != std::string_view::npos) ok = Unsigned(s.substr(dash + 1), kMaxFaultLba, b);
  if (!ok) {
    why = L"'" + Widen(s) + L"' is not a sector or range FIRST-LAST of sectors 0 to " +
          std::to_wstring(kMaxFaultLba);
    return false;
  }
  if (b < a) {
    why = L"the range " + Widen(s) + L" ends before it starts";
    return false;
  }
  first = uint32_t(a);
  count = uint32_t(b - a + 1);
  return true;
}

bool Setting(std::string_view key, const std::vector<std::string_view>& args, DriveFaults& f, bool& seenOffset,
             bool& seenSpeed, std::wstring& why) {
  auto argCount = [&](size_t n, const wchar_t* form) {
    if (args.size() == n) return true;
    why = L"expected " + std::wstring(form);
    return false;
  };
  if (key == "offset") {
    if (!argCount(1, L"offset SAMPLES")) return false;
    std::string_view v = args[0];
    bool negative = !v.empty() && v[0] == '-';
    if (!v.empty() && (v[0] == '-' || v[0] == '+')) v.remove_prefix(1);
    uint64_t n = 0;
    if (!Unsigned(v, kMaxDriveOffset, n)) {
      why = L"the offset must be a whole number of samples from -" + std::to_wstring(kMaxDriveOffset) +
            L" to " + std::to_wstring(kMaxDriveOffset);
      return false;
    }
    if (seenOffset) {
      why = L"the offset is set twice";
      return false;
    }
    seenOffset = true;
    f.offsetSamples = negative ? -int32_t(n) : int32_t(n);
    return true;
  }
  if (key == "speed") {
    if (!argCount(1, L"speed MULTIPLE, e.g. speed 8x")) return false;
    std::string v(args[0]);
    if (!v.empty() && (v.back() == 'x' || v.back() == 'X')) v.pop_back();
    bool plain = !v.empty() && v.size() <= 12 && v.find_first_not_of("0123456789.") == std::string::npos &&
                 v.find('.') == v.rfind('.') && v != ".";
    double s = plain ? std::strtod(v.c_str(), nullptr) : -1;
    if (!(s == 0 || (s >= kMinDriveSpeed && s <= kMaxDriveSpeed))) {
      why = L"the speed must be 0 (full speed) or from 0.01 to 1000, e.g. 8x";
      return false;
    }
    if (seenSpeed) {
      why = L"the speed is set twice";
      return false;
    }
    seenSpeed = true;
    f.speed = s;
    return true;
  }
  if (key == "flaky") {
    if (!argCount(2, L"flaky FIRST[-LAST] READS")) return false;
    FlakyRange r;
    if (!Range(args[0], r.first, r.count, why)) return false;
    uint64_t k = 0;
    if (!Unsigned(args[1], kMaxBadReads, k) || k == 0) {
      why = L"the number of bad reads must be 1 to " + std::to_wstring(kMaxBadReads);
      return false;
    }
    r.badReads = uint32_t(k);
    if (f.flaky.size() + f.random.size() >= kMaxFaultRanges) {
      why = L"more than " + std::to_wstring(kMaxFaultRanges) + L" ranges";
      return false;
    }
    f.flaky.push_back(r);
    return true;
  }
  if (key == "random") {
    if (!argCount(1, L"random FIRST[-LAST]")) return false;
    RandomRange r;
    if (!Range(args[0], r.first, r.count, why)) return false;
    if (f.flaky.size() + f.random.size() >= kMaxFaultRanges) {
      why = L"more than " + std::to_wstring(kMaxFaultRanges) + L" ranges";
      return false;
    }
    f.random.push_back(r);
    return true;
  }
  why = L"unknown setting '" + Widen(key.substr(0, 40)) + L"' (offset, speed, flaky or random)";
  return false;
}

}  // namespace

bool ParseDriveFaults(std::string_view text, DriveFaults& faults, std::wstring& error) {
  DriveFaults f;
  bool seenOffset = false, seenSpeed = false;
  int line = 0;
  size_t pos = 0;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;  // a UTF-8 mark from a Windows editor
  while (pos < text.size()) {
    ++line;
    size_t nl = text.find('\n', pos);
    std::string_view l = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    size_t hash = l.find('#');
    if (hash != std::string_view::npos) l = l.substr(0, hash);
    auto words = Words(l);
    if (words.empty()) continue;
    std::vector<std::string_view> args(words.begin() + 1, words.end());
    std::wstring why;
    if (!Setting(words[0], args, f, seenOffset, seenSpeed, why)) {
      error = L"line " + std::to_wstring(line) + L": " + why;
      return false;
    }
  }
  faults = std::move(f);
  return true;
}

bool ParseDriveSetting(std::string_view key, std::string_view value, DriveFaults& faults, std::wstring& error) {
  bool seenOffset = false, seenSpeed = false;
  return Setting(key, Words(value), faults, seenOffset, seenSpeed, error);
}

std::string DriveFaultsText(const DriveFaults& f) {
  std::string out;
  char buf[96];
  if (f.offsetSamples) {
    std::snprintf(buf, sizeof buf, "offset %+d\n", int(f.offsetSamples));
    out += buf;
  }
  if (f.speed > 0) {
    // The shortest text that reads back as the same speed.
    for (int digits = 6; digits <= 17; ++digits) {
      std::snprintf(buf, sizeof buf, "speed %.*gx\n", digits, f.speed);
      if (std::strtod(buf + 6, nullptr) == f.speed) break;
    }
    out += buf;
  }
  for (const FlakyRange& r : f.flaky) {
    std::snprintf(buf, sizeof buf, "flaky %u-%u %u\n", unsigned(r.first), unsigned(r.first + r.count - 1),
                  unsigned(r.badReads));
    out += buf;
  }
  for (const RandomRange& r : f.random) {
    std::snprintf(buf, sizeof buf, "random %u-%u\n", unsigned(r.first), unsigned(r.first + r.count - 1));
    out += buf;
  }
  return out;
}

}  // namespace cdr
