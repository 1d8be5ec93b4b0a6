#include "tests/win/common/saved_registry_key.h"

SavedRegistryKey::SavedRegistryKey(HKEY root, const char* subKey) : root_(root), subKey_(subKey) {
  HKEY key;
  existed_ = RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (!existed_) return;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLen = sizeof name, type = 0, size = 0;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    RegistryValue v{name, type, std::string(size, '\0')};
    nameLen = sizeof name;
    if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(v.data.data()),
                      &size) == ERROR_SUCCESS) {
      v.data.resize(size);
      values_.push_back(v);
    }
  }
  RegCloseKey(key);
}

void SavedRegistryKey::Restore() const {
  if (!root_) return;
  RegDeleteKeyA(root_, subKey_.c_str());
  if (!existed_) return;
  HKEY key;
  if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  for (const RegistryValue& v : values_)
    RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                   static_cast<DWORD>(v.data.size()));
  RegCloseKey(key);
}
