// The program's remembered settings under HKEY_CURRENT_USER\Software\wavequill:
// the two Options checks, and the read offset of each drive (value name:
// the drive's vendor and model). A value of the wrong type or out of range
// reads as absent.
#pragma once
#include <cstdint>
#include <string>

constexpr wchar_t kSettingsKey[] = L"Software\\wavequill";
constexpr wchar_t kSecureReadingValue[] = L"SecureReading";
constexpr wchar_t kVerifyAccurateRipValue[] = L"VerifyAccurateRip";

class SettingsStore {
 public:
  // subKey under HKEY_CURRENT_USER; tests use their own.
  explicit SettingsStore(std::wstring subKey = kSettingsKey) : subKey_(std::move(subKey)) {}

  // A check stored as REG_DWORD 0 or 1; fallback when absent or unusable.
  bool Check(const wchar_t* name, bool fallback) const;
  bool SetCheck(const wchar_t* name, bool on) const;
  // The drive's offset as REG_DWORD (two's complement); false when absent
  // or unusable.
  bool ReadOffset(const std::wstring& driveDescription, int32_t& offset) const;
  bool SetReadOffset(const std::wstring& driveDescription, int32_t offset) const;

 private:
  bool ReadDword(const std::wstring& name, uint32_t& value) const;
  bool WriteDword(const std::wstring& name, uint32_t value) const;
  std::wstring subKey_;
};
