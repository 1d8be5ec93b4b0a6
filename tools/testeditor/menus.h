#pragma once
// Menu bars of the test editor: the eight languages of the library's
// string table and the layouts that exercise its placement rules.

#include <windows.h>

#include <string>

enum class FileLayout {
  Standard,   // New, Open, Save, separator, Exit
  NoExit,     // New, Open, Save
  Close,      // New, Open, Save, separator, Close, Exit
  ExitFirst,  // Exit, New, Open, Save
  Ids1500,    // Standard, with New, Open and Save using 1500 to 1502
};

struct MenuOptions {
  int language = 0;
  FileLayout layout = FileLayout::Standard;
  bool arquivo = false;      // Portuguese File menu named "Arquivo"
  bool closeGrayed = false;  // the Close item (Close layout) greyed
};

// Command identifiers of the editor's own items.
enum : UINT {
  kCmdNew = 100,
  kCmdOpen = 101,
  kCmdSave = 102,
  kCmdClose = 103,
  kCmdExit = 199,
  kCmdUndo = 200,
  kCmdCut = 201,
  kCmdCopy = 202,
  kCmdPaste = 203,
  kCmdAbout = 300,
};

bool ParseLayout(const char* name, FileLayout* layout);
// The File popup is position 0, Edit 1, Help 2.
HMENU BuildMenuBar(const MenuOptions& options);
// The File menu's access key, for opening it from the keyboard.
char FileAccessKey(const MenuOptions& options);
