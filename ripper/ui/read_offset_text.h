// The read-offset setting as the user types it and as it is stored: an
// integer number of samples within what any drive needs.
#pragma once
#include <cstdint>
#include <string>

constexpr int32_t kReadOffsetMin = -3000;
constexpr int32_t kReadOffsetMax = 3000;

// Optional blanks around, an optional sign, decimal digits; false (value
// untouched) for anything else or a number out of range.
bool ParseReadOffset(const std::wstring& text, int32_t& value);
// What the dialog shows: "+6", "0", "-12".
std::wstring ReadOffsetText(int32_t value);
// A stored 32-bit value read back as the signed offset it was saved from;
// false when it is out of range.
bool StoredReadOffset(uint32_t stored, int32_t& value);
// The registry value name of a drive: its vendor and model, without the
// drive letter that the description starts with ("D: ").
std::wstring DriveSettingName(const std::wstring& driveDescription);
// The message shown when the typed text is refused.
std::wstring ReadOffsetRangeMessage();
