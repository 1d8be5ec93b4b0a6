#include "menulink/registry/ui_language.h"

#include <windows.h>

LanguageIndex GetUILanguage() {
    return (LanguageIndex)GetPrivateProfileIntA("Settings", "UILang", 0, "lx70.ini");
}
