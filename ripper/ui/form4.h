// Form4, the Make Directory dialog: creates a folder inside the folder
// shown by the main window's Dir1.
#pragma once
#include <windows.h>

class Form1;

// Shows the dialog modally (Make Dir button). Returns when it is unloaded.
void ShowForm4(Form1& form);
// Unloads it if it is loaded (main window unload).
void Form4Unload();
HWND Form4Window();  // nullptr while not loaded
