#include "menulink/integration/menu_items.h"

#include <cstring>

#include "menulink/registry/error_messages.h"

namespace {

uint8_t commandIdMap[kCommandIdMapBytes];

// Deeper trees than this are not menus any program builds; the bound keeps
// a menu that contains itself from recursing for ever.
constexpr int kMaxMenuDepth = 16;

using Matcher = bool (*)(const char* normalised, const char* name);

bool MatchExact(const char* normalised, const char* name) { return lstrcmpiA(normalised, name) == 0; }
bool MatchContaining(const char* normalised, const char* name) { return ContainsText(normalised, name); }

HMENU FindMenuItem(HMENU menu, const char* name, int32_t* id, int32_t* position, Matcher match) {
  if (!menu || !name) return nullptr;
  int count = GetMenuItemCount(menu);
  if (count < 0) return nullptr;
  for (int pos = 0; pos < count; ++pos) {
    char text[kMenuTextMax + 1] = {};
    if (GetMenuStringA(menu, pos, text, sizeof text, MF_BYPOSITION) == 0) continue;
    char normalised[sizeof text];
    NormaliseMenuText(normalised, sizeof normalised, text);
    if (!match(normalised, name)) continue;
    UINT itemId = GetMenuItemID(menu, pos);
    if (position) *position = pos;
    if (id) *id = static_cast<int32_t>(itemId);
    return itemId == static_cast<UINT>(-1) ? GetSubMenu(menu, pos) : menu;
  }
  return nullptr;
}

void MarkUsed(HMENU menu, uint8_t* map, int depth) {
  if (depth > kMaxMenuDepth) return;
  int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    UINT itemId = GetMenuItemID(menu, pos);
    if (itemId == static_cast<UINT>(-1)) {
      if (HMENU sub = GetSubMenu(menu, pos)) MarkUsed(sub, map, depth + 1);
    } else {
      CommandIdMapMark(map, itemId);
    }
  }
}

// A name that does not load is never searched: an empty name would match
// any item without visible text.
bool LoadName(int32_t base, LanguageIndex language, char* buf, int size) {
  return LoadLocalString(base, language, buf, size) > 0;
}

void RemoveItems(HMENU popup, uint32_t acquireId, uint32_t settingsId) {
  // Identifier 0 is every separator's: never take it for one of ours.
  const UINT none = static_cast<UINT>(-2);
  UINT acquire = acquireId ? acquireId : none;
  UINT settings = settingsId ? settingsId : none;
  int count = GetMenuItemCount(popup);
  for (int p = 0; p < count; ++p) {
    if (GetMenuItemID(popup, p) == acquire) RemoveMenu(popup, p, MF_BYPOSITION);
    if (GetMenuItemID(popup, p) == settings) {
      RemoveMenu(popup, p, MF_BYPOSITION);
      // Only our own separator goes with it, never an item of the host:
      // it precedes the items, or follows them when they were put first.
      if (p > 0 && (GetMenuState(popup, p - 1, MF_BYPOSITION) & MF_SEPARATOR))
        RemoveMenu(popup, p - 1, MF_BYPOSITION);
      else if (p == 0 && (GetMenuState(popup, 0, MF_BYPOSITION) & MF_SEPARATOR))
        RemoveMenu(popup, 0, MF_BYPOSITION);
    }
  }
}

void InsertItems(HMENU popup, uint32_t acquireId, uint32_t settingsId, LanguageIndex language) {
  char acquire[64], settings[64], exitName[64];
  if (!LoadName(IDS_ACQUIRE_TEXT, language, acquire, sizeof acquire)) return;
  if (!LoadName(IDS_ACQUIRE_SETTINGS, language, settings, sizeof settings)) settings[0] = '\0';
  int32_t exitPos = -1;
  if (LoadName(IDS_EXIT, language, exitName, sizeof exitName))
    FindMenuItemContaining(popup, exitName, nullptr, &exitPos);

  char key[64];
  StripChar(key, acquire, '&');
  if (FindMenuItemExact(popup, key, nullptr, nullptr)) return;  // already there

  if (exitPos < 0) {
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(popup, MF_STRING, acquireId, acquire);
    AppendMenuA(popup, MF_STRING, settingsId, settings);
    return;
  }
  int32_t e = exitPos;
  if (e > 0) {
    char before[25] = {}, plain[25];
    GetMenuStringA(popup, e - 1, before, sizeof before, MF_BYPOSITION);
    StripChar(plain, before, '&');
    if (ContainsText(plain, "Close")) --e;
  }
  if (e == 0) {
    // Nothing precedes Exit (or its Close): the items go first, with the
    // separator between them and the host's items.
    InsertMenuA(popup, 0, MF_BYPOSITION | MF_STRING, acquireId, acquire);
    InsertMenuA(popup, 1, MF_BYPOSITION | MF_STRING, settingsId, settings);
    InsertMenuA(popup, 2, MF_BYPOSITION | MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
    return;
  }
  InsertMenuA(popup, e - 1, MF_BYPOSITION | MF_STRING, acquireId, acquire);
  InsertMenuA(popup, e, MF_BYPOSITION | MF_STRING, settingsId, settings);
  InsertMenuA(popup, e - 1, MF_BYPOSITION | MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
}

}  // namespace

HMENU FindMenuItemExact(HMENU menu, const char* name, int32_t* id, int32_t* position) {
  return FindMenuItem(menu, name, id, position, MatchExact);
}

HMENU FindMenuItemContaining(HMENU menu, const char* name, int32_t* id, int32_t* position) {
  return FindMenuItem(menu, name, id, position, MatchContaining);
}

void ClearCommandIdMap() { CommandIdMapClear(commandIdMap); }

void MarkUsedCommandIds(HMENU menu, uint8_t* map) {
  if (menu && map) MarkUsed(menu, map, 0);
}

uint32_t AllocateCommandId(HMENU menuBar) {
  MarkUsedCommandIds(menuBar, commandIdMap);
  return CommandIdMapTake(commandIdMap);
}

int32_t SetAcquireItemsInLanguage(HMENU popup, uint32_t acquireId, uint32_t settingsId, bool insert,
                                  LanguageIndex language) {
  if (!popup) return 0;
  if (insert)
    InsertItems(popup, acquireId, settingsId, language);
  else
    RemoveItems(popup, acquireId, settingsId);
  return 1;
}

LanguageIndex DetectMenuLanguageOf(HMENU menuBar, LanguageIndex current) {
  MenuLanguageCandidates candidates;
  for (LanguageIndex lang : kTableLanguages) {
    char name[64];
    bool found = false;
    if (lang == kLangPortuguese && LoadName(IDS_FILE_ALT_PT, 0, name, sizeof name))
      found = FindMenuItemExact(menuBar, name, nullptr, nullptr) != nullptr;
    if (LoadName(IDS_FILE, lang, name, sizeof name) && FindMenuItemExact(menuBar, name, nullptr, nullptr))
      found = true;
    if (!found) continue;
    candidates.FileMatched(lang);

    int32_t editPos = -1;
    if (!LoadName(IDS_EDIT, lang, name, sizeof name) || !FindMenuItemExact(menuBar, name, nullptr, &editPos))
      continue;
    candidates.EditMatched(lang);

    if (LoadName(IDS_PASTE, lang, name, sizeof name) &&
        FindMenuItemExact(GetSubMenu(menuBar, editPos), name, nullptr, nullptr))
      return lang;
  }
  return candidates.Result(current);
}

HMENU FindFileMenu(HMENU menuBar, LanguageIndex language) {
  char name[64];
  HMENU found = nullptr;
  if (language == kLangPortuguese && LoadName(IDS_FILE_ALT_PT, 0, name, sizeof name))
    found = FindMenuItemExact(menuBar, name, nullptr, nullptr);
  if (!found && LoadName(IDS_FILE, language, name, sizeof name))
    found = FindMenuItemExact(menuBar, name, nullptr, nullptr);
  return found;
}
