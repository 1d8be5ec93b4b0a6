// Writing the table back to the registry, the installation folder and the
// 16-bit applications of "lx70.ini".

#include "menulink/registry/persistence.h"

#include <cstring>

#include "menulink/registry/record_text.h"
#include "menulink/registry/shared_data.h"

namespace {

void ValueName(char *name, int n) { wsprintfA(name, "App_%d", n); }

bool StringValueExists(HKEY key, const char *name) {
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
    int32_t used = sharedData.appCount;
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

int32_t GetInstallPath(const char *valueName, char *buf, DWORD bufSize) {
    HKEY key = nullptr;
    if (!RegistryOpenKey(HKEY_LOCAL_MACHINE, kGeneralKey, &key)) return 0;
    int32_t ok = RegistryReadString(key, valueName, buf, bufSize);
    RegistryCloseKey(key);
    return ok;
}

int32_t FindIniAppNumber(const char *text) {
    for (int n = 1;; ++n) {
        char name[16];
        ValueName(name, n);
        char value[256];
        if (GetPrivateProfileStringA("Glyphtap_Apps", name, "", value, sizeof value, kIniFile) == 0) return -1;
        if (text && std::strstr(value, text)) return n;
    }
}
