#pragma once
// Where GTHook looks for menulink64host.exe.

#include <windows.h>

// Fills folder with a path ending in '\'; false when there is none to use.
bool WideHostFolder(char* folder, DWORD size);
