#pragma once
// The process and the executable behind a window: Toolhelp32 (looked up by
// name, so that the library loads where KERNEL32 lacks it), the performance
// data of Windows NT, and the 32-bit image test on a file.

#include <windows.h>

#include <cstdint>

// Toolhelp32, looked up by name.
int32_t LoadToolhelp();
// module and path have 260 bytes (MAX_PATH).
int32_t ToolhelpFindProcessModule(DWORD pid, char* module, char* path);
// The executable of a process from a process and module snapshot: for
// Windows NT without process performance data. 1 when found.
int32_t ToolhelpFindProcessImage(DWORD pid, char* module, char* path);

// The executable of a process by QueryFullProcessImageName, which, unlike
// a Toolhelp32 module snapshot, also reads a process of the other width.
// module and path have 260 bytes. 1 when found.
int32_t QueryProcessImage(DWORD pid, char* module, char* path);

// name has 64 bytes.
int32_t PerfFindProcessName(DWORD pid, char* name);
// Like PerfFindProcessName; *noProcessData is set when the data holds no
// usable Process object, so that the caller can ask Toolhelp32 instead.
int32_t PerfFindProcessNameEx(DWORD pid, char* name, bool* noProcessData);
// Index text of a counter name (indexOut 16 bytes). 1 when the list was
// read; *found tells whether the name was in it.
int32_t PerfFindCounterIndex(const char* counterName, char* indexOut, bool* found = nullptr);

int32_t IsWin32Executable(const char* path);
