#pragma once
// Handles of this process's table objects, made at attach (not shared).
#include <windows.h>

extern HANDLE tableMutex;
extern HANDLE tableMapping;
