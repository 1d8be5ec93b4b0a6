#pragma once
// Menu mechanics shared by the subclass procedure, the paste and the menu
// scan: finding items by their visible names, the menu language of an
// application, free command identifiers, and the two acquire items.

#include <windows.h>

#include <cstdint>

#include "menulink/integration/menu_text.h"
#include "menulink/registry/string_ids.h"

// First item of menu whose normalised text equals name ignoring case. On a
// match *position and *id (GetMenuItemID) are set and the result is the
// item's popup, or menu itself for a command item. Null without a match,
// for a null menu, or when the item count cannot be read; the
// out-parameters are then left alone. id and position may be null.
HMENU FindMenuItemExact(HMENU menu, const char* name, int32_t* id, int32_t* position);
// The same, matching when the normalised text contains name (case-sensitive).
HMENU FindMenuItemContaining(HMENU menu, const char* name, int32_t* id, int32_t* position);

// The per-process identifier map, cleared at every handled message.
void ClearCommandIdMap();
// Marks every identifier used in menu and its submenus.
void MarkUsedCommandIds(HMENU menu, uint8_t* map);
// A free identifier from 1500 to 2046 in the whole menu tree, 0 when none.
uint32_t AllocateCommandId(HMENU menuBar);

// Inserts or removes the two items, their texts in language. 0 for a null
// popup, else 1.
int32_t SetAcquireItemsInLanguage(HMENU popup, uint32_t acquireId, uint32_t settingsId, bool insert,
                                  LanguageIndex language);

// The language of menuBar's texts, or current when nothing matched.
LanguageIndex DetectMenuLanguageOf(HMENU menuBar, LanguageIndex current);

// The File popup of menuBar in language (with "Arquivo" first for 15).
HMENU FindFileMenu(HMENU menuBar, LanguageIndex language);
