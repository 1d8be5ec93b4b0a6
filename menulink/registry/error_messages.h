#pragma once
// Every error the library shows goes through ShowErrorMessage: the string id
// in the user-interface language, formatted with the extra arguments (the
// table's only placeholder is "%s", a string), caption 321, error icon.
//
// Capture for tests: when the environment variable
// MENULINK_CAPTURE_MESSAGES_TO names a file at attach, the messages are
// appended to that file, one line each, instead of being shown:
//   <id>|<language used>|<caption>|<text with line breaks as \n>
// Nothing in the system sets that variable.

#include <windows.h>

#include <cstdint>

#include "menulink/registry/string_ids.h"

// "UILang" of section "Settings" of "lx70.ini" (in the Windows folder), 0
// when the file or key is missing. Read afresh on every call.
LanguageIndex GetUILanguage();

void ShowErrorMessage(HWND owner, int32_t id, ...);

// ShowErrorMessage(nullptr, 320).
void ReportMemoryConflict();

// Loads string base + 2000 * language from the library's own module into buf
// with LoadStringA; returns its length (0 when it does not exist).
int LoadLocalString(int32_t base, int32_t language, char* buf, int bufSize);

// Reads the capture switch; called at attach.
void InitMessageCapture();
