#pragma once
#include <cstdint>

#include "menulink/registry/string_ids.h"

// "UILang" of section "Settings" of "lx70.ini" (in the Windows folder), 0
// when the file or key is missing. Read afresh on every call.
LanguageIndex GetUILanguage();
