// Writing the table back to the registry, the installation folder, the
// 16-bit applications of "lx70.ini", and the thin registry routines.

#include "menulink/registry/persistence.h"

#include <cstring>

#include "menulink/registry/record_text.h"
#include "menulink/registry/shared_data.h"

namespace {

void ValueName(char* name, int n) { wsprintfA(name, "App_%d", n); }

bool StringValueExists(HKEY key, const char* name) {
  DWORD type = 0, size = 0;
  return RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ;
}

// Deletes App_1, App_2, ... up to the first number without a string value.
void DeleteNumberedValues(HKEY key) {
  for (int n = 1;; ++n) {
    char name[16];
    ValueName(name, n);
    if (!StringValueExists(key, name)) break;
    if (!RegistryDeleteValue(key, name)) break;
  }
}

void WriteEnabledRecords(HKEY key) {
  if (!appTable) return;
  int32_t used = sharedState->appCount;
  if (used > MAX_APPS) used = MAX_APPS;
  int k = 0;
  for (int32_t i = 0; i < used; ++i) {
    if (appTable[i].enabled != 1) continue;
    char text[kRecordTextSize];
    FormatRecordText(appTable[i], text, sizeof text);
    char name[16];
    ValueName(name, ++k);
    RegistrySetString(key, name, text);
  }
}

}  // namespace

void SaveAppListByValues() {
  HKEY key = nullptr;
  if (!RegistryOpenKey(HKEY_CURRENT_USER, kDirectKey, &key)) return;
  DeleteNumberedValues(key);
  WriteEnabledRecords(key);
  RegistryCloseKey(key);
}

int32_t SaveAppListByKey() {
  HKEY key = nullptr;
  if (!RegistryOpenKey(HKEY_CURRENT_USER, kDirectKey, &key)) return 0;
  RegistryCloseKey(key);
  bool deleted = RegistryDeleteKey(HKEY_CURRENT_USER, kDirectKey) != 0;
  if (!RegistryCreateKey(HKEY_CURRENT_USER, kDirectKey, kDirectKeyClass, &key)) return 0;
  // A key that could not be deleted still holds the old list; without
  // this a longer old list would come back at the next load.
  if (!deleted) DeleteNumberedValues(key);
  WriteEnabledRecords(key);
  RegistryCloseKey(key);
  return 1;
}

int32_t GetInstallPath(const char* valueName, char* buf, DWORD bufSize) {
  // The 32-bit view, where the 32-bit OCR application writes it: both
  // libraries read the same value whatever their width.
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGeneralKey, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
    return 0;
  int32_t ok = RegistryReadString(key, valueName, buf, bufSize);
  RegistryCloseKey(key);
  return ok;
}

int32_t FindIniAppNumber(const char* text) {
  for (int n = 1;; ++n) {
    char name[16];
    ValueName(name, n);
    char value[256];
    if (GetPrivateProfileStringA("Glyphtap_Apps", name, "", value, sizeof value, kIniFile) == 0) return -1;
    if (text && std::strstr(value, text)) return n;
  }
}

// Thin registry routines: 1 on success, 0 on failure.

int32_t RegistryOpenKey(HKEY root, const char* subKey, HKEY* key) {
  if (!key) return 0;
  *key = nullptr;
  return RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, key) == ERROR_SUCCESS ? 1 : 0;
}

int32_t RegistryCreateKey(HKEY root, const char* subKey, const char* className, HKEY* key) {
  if (!key) return 0;
  *key = nullptr;
  DWORD disposition = 0;
  return RegCreateKeyExA(root, subKey, 0, const_cast<char*>(className), REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key, &disposition) == ERROR_SUCCESS
             ? 1
             : 0;
}

int32_t RegistryDeleteValue(HKEY key, const char* name) {
  return RegDeleteValueA(key, name) == ERROR_SUCCESS ? 1 : 0;
}

int32_t RegistryDeleteKey(HKEY root, const char* subKey) {
  return RegDeleteKeyA(root, subKey) == ERROR_SUCCESS ? 1 : 0;
}

int32_t RegistrySetString(HKEY key, const char* name, const char* text) {
  DWORD size = (DWORD)lstrlenA(text) + 1;
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size) == ERROR_SUCCESS ? 1
                                                                                                          : 0;
}

int32_t RegistryReadString(HKEY key, const char* name, char* buf, DWORD bufSize) {
  if (!key || !buf || bufSize == 0) return 0;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
    return 0;
  // Read whole into a buffer of the value's own size, then cut into the
  // caller's: the stored data may be longer than the caller expects and
  // need not be terminated.
  HANDLE heap = GetProcessHeap();
  char* data = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size + 1));
  if (!data) return 0;
  DWORD got = size;
  LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &got);
  int32_t ok = 0;
  if (r == ERROR_SUCCESS && type == REG_SZ && got <= size) {
    data[got] = '\0';
    CopyBounded(buf, bufSize, data);
    ok = 1;
  }
  HeapFree(heap, 0, data);
  return ok;
}

int32_t RegistryCloseKey(HKEY key) {
  if (!key) return 0;
  return RegCloseKey(key) == ERROR_SUCCESS ? 1 : 0;
}
