// frmAbout: product name and version, a few lines about the program and a
// button that starts System Information.
#pragma once
#include <windows.h>

#include <string>

// Shows the box modally (About button). Returns when it is unloaded.
void ShowAboutBox(HWND owner);
void AboutBoxUnload();
HWND AboutBoxWindow();  // nullptr while not loaded

// The text of Label1: "wavequill v1.00", two carriage returns, more lines.
std::wstring AboutLabelText();

// Reads a registry value as text (REG_SZ as stored, REG_DWORD in decimal,
// other types leave value as it was). Opens the key for reading only.
bool GetKeyValue(HKEY root, const std::wstring& keyName, const std::wstring& valueName, std::wstring& value);
// Finds and starts System Information; shows the message when it cannot.
void StartSysInfo(HWND owner);
