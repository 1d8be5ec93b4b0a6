// Every message box of wavequill goes through ShowUserMessage, so that a test
// can capture the texts instead of blocking on a dialog.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

constexpr wchar_t kAppTitle[] = L"wavequill";

// Shows text with the application title as caption. flags are MessageBox
// flags (MB_OK by default: OK button, no icon). Returns the button pressed.
int ShowUserMessage(HWND owner, const std::wstring& text, UINT flags = MB_OK);

// While a hook is set, it answers instead of the dialog.
using UserMessageHook = std::function<int(const std::wstring& text, UINT flags)>;
void SetUserMessageHook(UserMessageHook hook);
