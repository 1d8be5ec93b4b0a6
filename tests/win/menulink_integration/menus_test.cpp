// Menu lookups, identifier allocation, placement and language detection on
// real menus built in this process, with the strings of the real library.

#include <gtest/gtest.h>

#include "menulink/integration/menu_items.h"
#include "menulink/registry/error_messages.h"
#include "tests/win/menulink_integration/harness.h"

// The menu code loads its names through the library's own loader.
int LoadLocalString(int32_t base, int32_t language, char* buf, int bufSize) {
  return Internals() ? Internals()->loadLocalString(base, language, buf, bufSize) : 0;
}

namespace {

struct Menu {
  HMENU handle = CreatePopupMenu();
  ~Menu() { DestroyMenu(handle); }
  Menu& Item(UINT id, const char* text) {
    AppendMenuA(handle, MF_STRING, id, text);
    return *this;
  }
  Menu& Sep() {
    AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
    return *this;
  }
  // The popup then belongs to this menu and is destroyed with it.
  Menu& Popup(HMENU popup, const char* text) {
    AppendMenuA(handle, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text);
    return *this;
  }
};

std::vector<std::string> Items(HMENU menu) {
  std::vector<std::string> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[128] = {};
    if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)
      out.push_back("-");
    else
      GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION), out.push_back(text);
  }
  return out;
}

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(Internals(), nullptr); }
};

TEST_F(MenusTest, ExactMatchIgnoresAccessKeysShortcutsAndCase) {
  Menu m;
  m.Item(10, "Edit More").Item(11, "&Edit\tCtrl+E").Item(12, "e&dit");
  int32_t id = 0, pos = -5;
  EXPECT_EQ(FindMenuItemExact(m.handle, "Edit", &id, &pos), m.handle);
  EXPECT_EQ(id, 11);
  EXPECT_EQ(pos, 1);

  Menu only;
  only.Item(20, "Editor").Item(21, "Edit More");
  id = 7, pos = 7;
  EXPECT_EQ(FindMenuItemExact(only.handle, "Edit", &id, &pos), nullptr);
  EXPECT_EQ(id, 7);  // left alone without a match
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(FindMenuItemExact(nullptr, "Edit", &id, &pos), nullptr);
}

TEST_F(MenusTest, PopupItemsGiveTheirSubmenuAndContainingIsCaseSensitive) {
  HMENU sub = CreatePopupMenu();
  AppendMenuA(sub, MF_STRING, 5, "x");
  Menu bar;
  bar.Sep().Popup(sub, "&File");
  int32_t id = 0, pos = 0;
  EXPECT_EQ(FindMenuItemExact(bar.handle, "file", &id, &pos), sub);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(pos, 1);

  Menu file;
  file.Item(1, "&Save").Item(2, "E&xit Program\tAlt+F4");
  EXPECT_EQ(FindMenuItemContaining(file.handle, "Exit", nullptr, &pos), file.handle);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(FindMenuItemContaining(file.handle, "exit", nullptr, nullptr), nullptr);
}

TEST_F(MenusTest, AllocationSkipsIdentifiersUsedAnywhereInTheTree) {
  HMENU sub = CreatePopupMenu();
  AppendMenuA(sub, MF_STRING, 1501, "b");
  HMENU deeper = CreatePopupMenu();
  AppendMenuA(deeper, MF_STRING, 1502, "c");
  AppendMenuA(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(deeper), "deeper");
  Menu bar;
  bar.Item(1500, "a").Popup(sub, "sub");
  ClearCommandIdMap();
  EXPECT_EQ(AllocateCommandId(bar.handle), 1503u);
  EXPECT_EQ(AllocateCommandId(bar.handle), 1504u);  // the first stays taken
  ClearCommandIdMap();
  EXPECT_EQ(AllocateCommandId(bar.handle), 1503u);
}

TEST_F(MenusTest, AllocationGivesZeroWhenTheRangeIsFull) {
  Menu bar;
  for (UINT id = 1500; id <= 2046; ++id) bar.Item(id, "x");
  ClearCommandIdMap();
  EXPECT_EQ(AllocateCommandId(bar.handle), 0u);
}

TEST_F(MenusTest, InsertIsIdempotentAndRemoveTakesOnlyOurItems) {
  Menu file;
  file.Item(1, "&Save").Sep().Item(2, "E&xit");
  ASSERT_EQ(SetAcquireItemsInLanguage(file.handle, 1500, 1501, true, kLangEnglish), 1);
  ASSERT_EQ(SetAcquireItemsInLanguage(file.handle, 1502, 1503, true, kLangEnglish), 1);
  EXPECT_EQ(Items(file.handle), (std::vector<std::string>{"&Save", "-", "Acquire Text...",
                                                          "Acquire Text Settings...", "-", "E&xit"}));
  SetAcquireItemsInLanguage(file.handle, 1500, 1501, false, kLangEnglish);
  EXPECT_EQ(Items(file.handle), (std::vector<std::string>{"&Save", "-", "E&xit"}));
  // Identifiers never allocated must not take the host's separators.
  SetAcquireItemsInLanguage(file.handle, 0, 0, false, kLangEnglish);
  EXPECT_EQ(Items(file.handle), (std::vector<std::string>{"&Save", "-", "E&xit"}));
  EXPECT_EQ(SetAcquireItemsInLanguage(nullptr, 1, 2, true, kLangEnglish), 0);
}

HMENU MenuBar(const char* file, const char* edit, const char* paste) {
  HMENU f = CreatePopupMenu();
  AppendMenuA(f, MF_STRING, 1, "New");
  HMENU e = CreatePopupMenu();
  AppendMenuA(e, MF_STRING, 2, "Undo");
  if (paste) AppendMenuA(e, MF_STRING, 3, paste);
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(f), file);
  if (edit) AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(e), edit);
  return bar;
}

struct DetectCase {
  const char *file, *edit, *paste;
  LanguageIndex expected;
};

TEST_F(MenusTest, LanguageDetection) {
  const DetectCase cases[] = {
      {"&Datei", "&Bearbeiten",
       "&Einf\xfc"
       "gen\tStrg+V",
       kLangGerman},
      {"&File", "&Modifica", "&Incolla", kLangItalian},  // File is also English
      {"&File", "&Edit", "&Paste", kLangEnglish},
      {"&Arquivo", "&Editar", "&Colar", kLangPortuguese},
      {"&Fichier", "&Edition", "Coller", kLangFrench},
      {"&Archivo", "&Edici\xf3n", nullptr, kLangSpanish},  // File and Edit only
      {"&Arkiv", nullptr, nullptr, kLangSwedish},          // File only
      {"&Fichier", "&Bewerken", "&Plakken", kLangFrench},  // first File match wins
  };
  for (const DetectCase& c : cases) {
    HMENU bar = MenuBar(c.file, c.edit, c.paste);
    EXPECT_EQ(DetectMenuLanguageOf(bar, 99), c.expected) << c.file;
    DestroyMenu(bar);
  }
  HMENU none = MenuBar("&Document", "&Tools", nullptr);
  EXPECT_EQ(DetectMenuLanguageOf(none, 6), 6);  // keeps its value
  DestroyMenu(none);
}

TEST_F(MenusTest, FileMenuLookupPrefersArquivoForPortuguese) {
  HMENU bar = MenuBar("&Arquivo", "&Editar", "&Colar");
  EXPECT_EQ(FindFileMenu(bar, kLangPortuguese), GetSubMenu(bar, 0));
  EXPECT_EQ(FindFileMenu(bar, kLangEnglish), nullptr);
  DestroyMenu(bar);
}

}  // namespace
