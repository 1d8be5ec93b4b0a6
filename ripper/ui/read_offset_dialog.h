// Options > Read offset...: the drive's read-offset correction in samples.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

constexpr wchar_t kReadOffsetCaption[] = L"Read offset";
// Control identifiers, for the end-to-end driver; OK and Cancel are IDOK
// and IDCANCEL.
constexpr int kIdReadOffsetText = 1301;
constexpr int kIdReadOffsetLabel = 1302;
constexpr int kIdReadOffsetHint = 1303;

// Modal. True with offset set when the user pressed OK on a valid number;
// a refused number is told and the dialog stays.
bool ShowReadOffsetDialog(HWND owner, const std::wstring& driveName, int32_t& offset);
HWND ReadOffsetDialogWindow();  // nullptr while not up
// Ends the dialog as Cancel when it is up (main window unload).
void ReadOffsetDialogUnload();
