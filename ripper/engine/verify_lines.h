// Texts a session writes when secure reading or AccurateRip verification
// is on. Every line about a track starts with "Track NN:", and every
// checksum is eight upper-case hex digits.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::wstring Hex8(uint32_t value);
// "+6", "0", "-12": the sign always shown when not zero.
std::wstring SignedSamples(int32_t samples);
// m:ss of a sample position within a track (44,100 samples a second).
std::wstring TrackTime(uint32_t sample);

// AccurateRip verdicts.
std::wstring AccurateLine(int track, uint32_t confidence, bool v2, uint32_t checksum);
std::wstring NotAccurateLine(int track, uint32_t v1, uint32_t v2, const std::vector<uint32_t>& held);
std::wstring NotInDatabaseLine(int track, uint32_t v1, uint32_t v2);
// Checksums at hand but nothing to compare them with (why: lookup failed, ...).
std::wstring NotVerifiedLine(int track, uint32_t v1, uint32_t v2, const std::wstring& why);
// The read gave no audio to check.
std::wstring NotVerifiedReadFailedLine(int track);

// Secure reading. rereads: chunk re-reads made; suspicious: stretches that
// never read alike twice.
std::wstring SecureReadLine(int track, uint32_t testCrc, uint32_t copyCrc, int32_t rereads,
                            size_t suspicious);
std::wstring SuspiciousLine(int track, uint32_t sample);

// Disc-level lines of the lookup.
std::wstring LookupFoundLine(const std::wstring& discName);
std::wstring LookupNotFoundLine(const std::wstring& discName);
std::wstring LookupFailedLine(const std::wstring& error);
inline constexpr wchar_t kLookupStatus[] = L"Looking up the disc in the AccurateRip database";
inline constexpr wchar_t kLookupNoTocLine[] = L"AccurateRip: the disc's table of contents cannot be read";
inline constexpr wchar_t kLookupAbortedLine[] = L"AccurateRip Lookup Aborted";

std::wstring AccurateSummaryLine(int accurate, int total);
std::wstring OffsetProposalLine(int32_t offset);
