// A registry key's values kept aside, so that a test can change the real
// key and put it back exactly as it was.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct RegistryValue {
  std::string name;
  DWORD type = 0;
  std::string data;  // raw bytes, terminator included for strings
};

class SavedRegistryKey {
 public:
  SavedRegistryKey() = default;
  SavedRegistryKey(HKEY root, const char* subKey);
  bool existed() const { return existed_; }
  const std::vector<RegistryValue>& values() const { return values_; }
  // Deletes the key, then recreates it with the saved values if it existed.
  void Restore() const;

 private:
  HKEY root_ = nullptr;
  std::string subKey_;
  bool existed_ = false;
  std::vector<RegistryValue> values_;
};
