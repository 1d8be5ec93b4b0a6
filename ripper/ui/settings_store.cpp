#include "ripper/ui/settings_store.h"

#include <windows.h>

#include "ripper/ui/read_offset_text.h"

bool SettingsStore::ReadDword(const std::wstring& name, uint32_t& value) const {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, data = 0, size = sizeof data;
  const LONG r = RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  // A longer value of another type fails with ERROR_MORE_DATA; a shorter
  // one is refused by its type or size.
  if (r != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return false;
  value = data;
  return true;
}

bool SettingsStore::WriteDword(const std::wstring& name, uint32_t value) const {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const DWORD data = value;
  const LONG r =
      RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(key);
  return r == ERROR_SUCCESS;
}

bool SettingsStore::Check(const wchar_t* name, bool fallback) const {
  uint32_t v = 0;
  if (!ReadDword(name, v) || v > 1) return fallback;
  return v == 1;
}

bool SettingsStore::SetCheck(const wchar_t* name, bool on) const { return WriteDword(name, on ? 1 : 0); }

bool SettingsStore::ReadOffset(const std::wstring& driveDescription, int32_t& offset) const {
  uint32_t v = 0;
  return ReadDword(DriveSettingName(driveDescription), v) && StoredReadOffset(v, offset);
}

bool SettingsStore::SetReadOffset(const std::wstring& driveDescription, int32_t offset) const {
  if (offset < kReadOffsetMin || offset > kReadOffsetMax) return false;
  return WriteDword(DriveSettingName(driveDescription), static_cast<uint32_t>(offset));
}
