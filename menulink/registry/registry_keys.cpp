// Thin registry routines: 1 on success, 0 on failure.

#include "menulink/registry/persistence.h"
#include "menulink/registry/record_text.h"

int32_t RegistryOpenKey(HKEY root, const char *subKey, HKEY *key) {
    if (!key) return 0;
    *key = nullptr;
    return RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, key) == ERROR_SUCCESS ? 1 : 0;
}

int32_t RegistryCreateKey(HKEY root, const char *subKey, const char *className, HKEY *key) {
    if (!key) return 0;
    *key = nullptr;
    DWORD disposition = 0;
    return RegCreateKeyExA(root, subKey, 0, const_cast<char *>(className), REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, key, &disposition) == ERROR_SUCCESS
               ? 1
               : 0;
}

int32_t RegistryDeleteValue(HKEY key, const char *name) {
    return RegDeleteValueA(key, name) == ERROR_SUCCESS ? 1 : 0;
}

int32_t RegistryDeleteKey(HKEY root, const char *subKey) {
    return RegDeleteKeyA(root, subKey) == ERROR_SUCCESS ? 1 : 0;
}

int32_t RegistrySetString(HKEY key, const char *name, const char *text) {
    DWORD size = (DWORD)lstrlenA(text) + 1;
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), size) == ERROR_SUCCESS ? 1
                                                                                                      : 0;
}

int32_t RegistryReadString(HKEY key, const char *name, char *buf, DWORD bufSize) {
    if (!key || !buf || bufSize == 0) return 0;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return 0;
    // Read whole into a buffer of the value's own size, then cut into the
    // caller's: the stored data may be longer than the caller expects and
    // need not be terminated.
    HANDLE heap = GetProcessHeap();
    char *data = static_cast<char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size + 1));
    if (!data) return 0;
    DWORD got = size;
    LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &got);
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
