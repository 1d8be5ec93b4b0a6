#include "ripper/engine/verify_lines.h"

#include "ripper/engine/session_names.h"

namespace {

std::wstring TrackLabel(int track) { return L"Track " + NumberText(track) + L": "; }

std::wstring V1V2(uint32_t v1, uint32_t v2) { return L"v1 " + Hex8(v1) + L", v2 " + Hex8(v2); }

}  // namespace

std::wstring Hex8(uint32_t value) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring s(8, L'0');
  for (int i = 7; i >= 0; --i, value >>= 4) s[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return s;
}

std::wstring SignedSamples(int32_t samples) { return (samples > 0 ? L"+" : L"") + std::to_wstring(samples); }

std::wstring TrackTime(uint32_t sample) {
  const uint32_t seconds = sample / 44100;
  const uint32_t s = seconds % 60;
  return std::to_wstring(seconds / 60) + (s < 10 ? L":0" : L":") + std::to_wstring(s);
}

std::wstring AccurateLine(int track, uint32_t confidence, bool v2, uint32_t checksum) {
  return TrackLabel(track) + L"accurately ripped (confidence " + std::to_wstring(confidence) +
         (v2 ? L", AccurateRip v2 " : L", AccurateRip v1 ") + Hex8(checksum) + L")";
}

std::wstring NotAccurateLine(int track, uint32_t v1, uint32_t v2, const std::vector<uint32_t>& held) {
  std::wstring s = TrackLabel(track) + L"not accurate (" + V1V2(v1, v2) + L"; the database holds ";
  if (held.empty()) return s + L"nothing for this track)";
  for (size_t i = 0; i < held.size(); ++i) s += (i ? L", " : L"") + Hex8(held[i]);
  return s + L")";
}

std::wstring NotInDatabaseLine(int track, uint32_t v1, uint32_t v2) {
  return TrackLabel(track) + L"not in the AccurateRip database (" + V1V2(v1, v2) + L")";
}

std::wstring NotVerifiedLine(int track, uint32_t v1, uint32_t v2, const std::wstring& why) {
  return TrackLabel(track) + L"not verified, " + why + L" (" + V1V2(v1, v2) + L")";
}

std::wstring NotVerifiedReadFailedLine(int track) {
  return TrackLabel(track) + L"not verified, the read did not end with audio";
}

std::wstring SecureReadLine(int track, uint32_t testCrc, uint32_t copyCrc, int32_t rereads,
                            size_t suspicious) {
  std::wstring s = TrackLabel(track) + L"test CRC " + Hex8(testCrc) + L", copy CRC " + Hex8(copyCrc) + L", ";
  if (suspicious > 0)
    return s + L"suspicious: " + std::to_wstring(suspicious) + L" position(s) never read alike twice";
  // Chunks that differed and then read alike make the two CRCs differ too.
  if (rereads > 0) return s + L"OK after " + std::to_wstring(rereads) + L" re-read(s)";
  if (testCrc != copyCrc) return s + L"mismatch";
  return s + L"OK";
}

std::wstring SuspiciousLine(int track, uint32_t sample) {
  return TrackLabel(track) + L"suspicious position " + TrackTime(sample);
}

std::wstring LookupFoundLine(const std::wstring& discName) {
  return L"AccurateRip: " + discName + L" found in the database";
}

std::wstring LookupNotFoundLine(const std::wstring& discName) {
  return L"AccurateRip: " + discName + L" is not in the database";
}

std::wstring LookupFailedLine(const std::wstring& error) {
  return L"AccurateRip: the lookup failed: " + error;
}

std::wstring AccurateSummaryLine(int accurate, int total) {
  return std::to_wstring(accurate) + L" of " + std::to_wstring(total) + L" tracks accurately ripped";
}

std::wstring OffsetProposalLine(int32_t offset) {
  return L"the drive's read offset seems to be " + SignedSamples(offset) +
         L"; set it in Options > Read offset";
}
