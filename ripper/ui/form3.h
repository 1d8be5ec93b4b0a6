// Form3, the wait box shown while the CDDB lookup runs. It has no code of
// its own: shown modeless, unloaded by the CDDB flow.
#pragma once
#include <windows.h>

bool Form3Show();
void Form3Unload();
HWND Form3Window();  // nullptr while not loaded
