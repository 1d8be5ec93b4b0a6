#pragma once
// Stores of the registered applications: the current user's registry and
// the OCR application's "lx70.ini".

#include <windows.h>

#include <cstdint>

constexpr const char* kDirectKey = "Software\\Korvane Corp\\Lexora9.0\\Direct";
constexpr const char* kGeneralKey = "Software\\Korvane Corp\\Lexora9.0\\General";
constexpr const char* kDirectKeyClass = "Application Global Data";
constexpr const char* kIniFile = "lx70.ini";

// Both saves are called with the table's mutex held (AppTableLock).
// By values: deletes App_1.. up to the first gap, writes the enabled records
// renumbered from 1. A missing key saves nothing.
void SaveAppListByValues();
// By key: deletes and re-creates the key, then writes as above. 1 when
// saved, 0 when the key did not exist.
int32_t SaveAppListByKey();

// Reads a string value of the General key under HKEY_LOCAL_MACHINE into buf
// (bufSize bytes; longer values are cut). 1 when read.
int32_t GetInstallPath(const char* valueName, char* buf, DWORD bufSize = MAX_PATH);

// Number n of the first "App_%d" of section "Glyphtap_Apps" whose value
// contains text (case-sensitive), or -1.
int32_t FindIniAppNumber(const char* text);

// Registry routines: 1 on success, 0 on failure.
int32_t RegistryOpenKey(HKEY root, const char* subKey, HKEY* key);
int32_t RegistryCreateKey(HKEY root, const char* subKey, const char* className, HKEY* key);
int32_t RegistryDeleteValue(HKEY key, const char* name);
int32_t RegistryDeleteKey(HKEY root, const char* subKey);
int32_t RegistrySetString(HKEY key, const char* name, const char* text);
// Succeeds only for an existing REG_SZ value; the text is always
// terminated and cut to bufSize - 1 characters when longer.
int32_t RegistryReadString(HKEY key, const char* name, char* buf, DWORD bufSize);
// NULL is accepted and gives 0.
int32_t RegistryCloseKey(HKEY key);
