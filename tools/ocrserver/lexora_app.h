#pragma once
// The stand-in server's automation object: every method of the OCR
// application's interface by name, answering as the control script says and
// logging each call.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "tools/ocrserver/server_script.h"

// {B98701C0-6B96-43D6-983B-E4E460F12AA3}
extern const CLSID CLSID_LexoraStandIn;

// Files beside the executable: the script a test writes, the log it reads.
std::wstring ServerFilePath(const wchar_t* name);
constexpr const wchar_t* kScriptFileName = L"ocrserver-script.txt";
constexpr const wchar_t* kCallLogFileName = L"ocrserver-calls.log";

// Appends one line (UTF-8) to the call log and flushes it.
void AppendCallLog(const std::string& line);

// Creates an object with one reference; the last Release ends the server's
// message loop.
IDispatch* CreateLexoraApp();
