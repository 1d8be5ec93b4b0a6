#include "tools/testeditor/menus.h"

#include <cstring>

namespace {

struct LanguageNames {
  int index;
  const char *file, *edit, *paste, *exit, *close;
};

// Names as a localised application of each language shows them (ANSI,
// code page 1252), "&" marking the access key.
const LanguageNames kNames[] = {
    {0, "&File", "&Edit", "&Paste\tCtrl+V", "E&xit", "&Close"},
    {1, "&Fichier", "&Edition", "C&oller\tCtrl+V", "&Quitter", "&Fermer"},
    {2, "&Datei", "&Bearbeiten",
     "&Einf\xfc"
     "gen\tStrg+V",
     "&Beenden",
     "&Schlie\xdf"
     "en"},
    {4, "&Archivo", "&Edici\xf3n", "&Pegar\tCtrl+V", "&Salir", "&Cerrar"},
    {5, "&File", "&Modifica", "&Incolla\tCtrl+V", "&Esci", "&Chiudi"},
    {6, "&Bestand", "Be&werken", "&Plakken\tCtrl+V", "&Afsluiten", "&Sluiten"},
    {8, "&Arkiv", "&Redigera", "&Klistra in\tCtrl+V", "&Avsluta", "&St\xe4ng"},
    {15, "&Ficheiro", "&Editar", "&Colar\tCtrl+V", "&Sair", "&Fechar"},
};

const LanguageNames& NamesOf(int language) {
  for (const LanguageNames& n : kNames)
    if (n.index == language) return n;
  return kNames[0];
}

}  // namespace

bool ParseLayout(const char* name, FileLayout* layout) {
  struct {
    const char* name;
    FileLayout layout;
  } const table[] = {{"standard", FileLayout::Standard},
                     {"noexit", FileLayout::NoExit},
                     {"close", FileLayout::Close},
                     {"exitfirst", FileLayout::ExitFirst},
                     {"ids1500", FileLayout::Ids1500}};
  for (const auto& entry : table) {
    if (std::strcmp(entry.name, name) == 0) {
      *layout = entry.layout;
      return true;
    }
  }
  return false;
}

HMENU BuildMenuBar(const MenuOptions& options) {
  const LanguageNames& names = NamesOf(options.language);
  bool ids1500 = options.layout == FileLayout::Ids1500;
  HMENU file = CreatePopupMenu();
  if (options.layout == FileLayout::ExitFirst) AppendMenuA(file, MF_STRING, kCmdExit, names.exit);
  AppendMenuA(file, MF_STRING, ids1500 ? 1500u : UINT{kCmdNew}, "&New\tCtrl+N");
  AppendMenuA(file, MF_STRING, ids1500 ? 1501u : UINT{kCmdOpen}, "&Open...\tCtrl+O");
  AppendMenuA(file, MF_STRING, ids1500 ? 1502u : UINT{kCmdSave}, "&Save\tCtrl+S");
  switch (options.layout) {
    case FileLayout::Standard:
    case FileLayout::Ids1500:
      AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(file, MF_STRING, kCmdExit, names.exit);
      break;
    case FileLayout::Close:
      AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(file, MF_STRING | (options.closeGrayed ? MF_GRAYED : 0), kCmdClose, names.close);
      AppendMenuA(file, MF_STRING, kCmdExit, names.exit);
      break;
    case FileLayout::NoExit:
    case FileLayout::ExitFirst:
      break;
  }

  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, kCmdUndo, "&Undo\tCtrl+Z");
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, kCmdCut, "Cu&t\tCtrl+X");
  AppendMenuA(edit, MF_STRING, kCmdCopy, "&Copy\tCtrl+C");
  AppendMenuA(edit, MF_STRING, kCmdPaste, names.paste);

  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, kCmdAbout, "&About");

  HMENU bar = CreateMenu();
  const char* fileName = (options.language == 15 && options.arquivo) ? "&Arquivo" : names.file;
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), fileName);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), names.edit);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&?");
  return bar;
}

char FileAccessKey(const MenuOptions& options) {
  const char* name =
      (options.language == 15 && options.arquivo) ? "&Arquivo" : NamesOf(options.language).file;
  const char* amp = std::strchr(name, '&');
  char c = amp ? amp[1] : name[0];
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
