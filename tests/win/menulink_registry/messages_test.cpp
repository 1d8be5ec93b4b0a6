// The string table and the error messages, in the user-interface language.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

#include "process_bed.h"

namespace {

std::string Ansi(const wchar_t* text) {
  char buf[512];
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buf, sizeof buf, nullptr, nullptr);
  return n > 0 ? std::string(buf) : std::string();
}

std::map<int, std::string> LoadAllStrings() {
  DriverRun run = RunDriver({"load", "strings"});
  std::map<int, std::string> out;
  for (const std::string& l : run.Lines()) {
    if (l.rfind("str ", 0) != 0) continue;
    size_t sp = l.find(' ', 4);
    int id = std::stoi(l.substr(4, sp - 4));
    std::string hex = l.substr(sp + 1), bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += (char)std::stoi(hex.substr(i, 2), nullptr, 16);
    out[id] = bytes;
  }
  return out;
}

std::string Placeholders(const std::string& s) {
  std::string out;
  for (size_t i = 0; i + 1 < s.size(); ++i)
    if (s[i] == '%') out += s.substr(i, 2);
  return out;
}

class Messages : public FreshTableTest {};

TEST_F(Messages, EveryLanguageHoldsEveryIdentifier) {
  std::map<int, std::string> s = LoadAllStrings();
  const int languages[] = {0, 1, 2, 4, 5, 6, 8, 15};
  int bases[] = {301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312,
                 313, 314, 315, 316, 317, 318, 319, 320, 321, 322, 324};
  for (int lang : languages) {
    for (int base : bases) {
      int id = base + 2000 * lang;
      ASSERT_TRUE(s.count(id)) << id;
      EXPECT_LT(s[id].size(), 255u) << id;
      EXPECT_EQ(Placeholders(s[id]), Placeholders(s[base])) << id;
      EXPECT_EQ(s[id].size() >= 2 && s[id].substr(s[id].size() - 2) == "\n\n", base == 312) << id;
    }
    EXPECT_EQ(s[309 + 2000 * lang], "Glyphtap");
    EXPECT_LE(s[321 + 2000 * lang].size(), 24u);
    if (lang != 0) {
      for (int base : {301, 303, 311, 313, 317, 319, 320, 324})
        EXPECT_NE(s[base + 2000 * lang], s[base]) << "untranslated " << base + 2000 * lang;
    }
  }
  // Indices without strings have none, and nothing lies between blocks.
  for (int lang : {3, 7, 9, 14, 16, 17}) EXPECT_EQ(s.count(304 + 2000 * lang), 0u) << lang;
  EXPECT_EQ(s.count(323), 0u);
  EXPECT_EQ(s[30325], "Arquivo");
  EXPECT_EQ(s[315],
            "Error bringing up the Options dialog box.  Try closing open windows and applications to free "
            "up memory.");
  EXPECT_EQ(s[312],
            "Glyphtap cannot close until all registered applications have been closed.\nPlease close all "
            "registered applications:\n\n");
}

TEST_F(Messages, MenuTextsArriveInTheAnsiCodePage) {
  std::map<int, std::string> s = LoadAllStrings();
  struct Row {
    int lang;
    const wchar_t* texts[7];
  };
  const Row rows[] = {
      {0, {L"Acquire Text...", L"Acquire Text Settings...", L"File", L"Exit", L"Edit", L"Paste", L"Close"}},
      {1,
       {L"&Acqu\u00e9rir le texte...", L"Confi&guration d'acquisition du texte...", L"Fichier", L"Quitter",
        L"Edition", L"Coller", L"Fermer"}},
      {2,
       {L"Text erfassen...", L"Texteinstellungen \u00fcbernehmen...", L"Datei", L"Beenden", L"Bearbeiten",
        L"Einf\u00fcgen", L"Schlie\u00dfen"}},
      {4,
       {L"Adquirir texto...", L"Par\u00e1metros de Adquirir texto...", L"Archivo", L"Salir", L"Edici\u00f3n",
        L"Pegar", L"Cerrar"}},
      {5,
       {L"Acquisisci testo...", L"Acquisisci impostazioni del testo...", L"File", L"Esci", L"Modifica",
        L"Incolla", L"Chiudi"}},
      {6,
       {L"Tekst verwerven...", L"Tekstinstellingen verwerven...", L"Bestand", L"Afsluiten", L"Bewerken",
        L"Plakken", L"Sluiten"}},
      {8,
       {L"Generera text...", L"Generera textinst\u00e4llningar...", L"Arkiv", L"Avsluta", L"Redigera",
        L"Klistra in", L"St\u00e4ng"}},
      {15,
       {L"Adquirir texto...", L"Adquirir defini\u00e7\u00f5es de texto...", L"Ficheiro", L"Sair", L"Editar",
        L"Colar", L"Fechar"}},
  };
  const int bases[] = {302, 310, 304, 305, 306, 307, 308};
  for (const Row& r : rows)
    for (int i = 0; i < 7; ++i)
      EXPECT_EQ(s[bases[i] + 2000 * r.lang], Ansi(r.texts[i])) << bases[i] + 2000 * r.lang;
  // In the usual western code page the bytes are the Latin-1 ones.
  if (GetACP() == 1252) {
    EXPECT_EQ(s[4308],
              "Schlie\xdf"
              "en");
  }
}

TEST_F(Messages, ErrorsFollowTheInterfaceLanguage) {
  // No "lx70.ini": English.
  RunDriver({"load", "msg|317|WINWORD.EXE"});
  store.WriteIni("[Settings]\r\nUILang=2\r\n");
  RunDriver({"load", "uilang", "msg|317|WINWORD.EXE", "msg|320"});
  store.WriteIni("[Settings]\r\nUILang=1\r\n");
  RunDriver({"load", "msg|319"});
  store.WriteIni("[Settings]\r\nUILang=7\r\n");
  RunDriver({"load", "msg|320"});
  store.WriteIni("[Settings]\r\nUILang=-5\r\n");
  RunDriver({"load", "msg|318|" + std::string(400, 'X')});

  std::vector<Captured> m = store.Messages();
  ASSERT_EQ(m.size(), 6u);
  EXPECT_EQ(m[0].language, 0);
  EXPECT_EQ(m[0].caption, "Glyphtap Error");
  EXPECT_EQ(m[0].text,
            "Error registering WINWORD.EXE with Glyphtap. Try closing open windows and applications to "
            "free up memory.");
  EXPECT_EQ(m[1].language, 2);
  EXPECT_EQ(m[1].caption, "Glyphtap-Fehler");
  EXPECT_EQ(m[1].text, Ansi(L"Fehler beim Registrieren von WINWORD.EXE bei Glyphtap. Schlie\u00dfen Sie "
                            L"ge\u00f6ffnete Fenster und Anwendungen, um Speicher freizugeben."));
  EXPECT_EQ(m[2].id, 320);
  EXPECT_EQ(m[2].language, 2);
  EXPECT_EQ(m[3].language, 1);
  EXPECT_EQ(m[3].caption, "Erreur Glyphtap");
  EXPECT_EQ(m[3].text,
            Ansi(L"Erreur de lecture du registre. Veuillez red\u00e9marrer Windows et r\u00e9essayer."));
  // Indices without strings fall back to English rather than an empty box.
  EXPECT_EQ(m[4].language, 0);
  EXPECT_EQ(m[4].text.rfind("An error with Glyphtap", 0), 0u);
  EXPECT_EQ(m[5].language, 0);
  // A long argument is cut to the 256-byte message buffer.
  EXPECT_EQ(m[5].text.size(), 255u);
  EXPECT_EQ(m[5].text.rfind("Error unregistering XXX", 0), 0u);
}

TEST_F(Messages, UILanguageDefaultsToEnglish) {
  store.WriteIni("[Settings]\r\nOther=3\r\n");
  EXPECT_EQ(RunDriver({"load", "uilang"}).After("uilang "), "0");
  store.WriteIni("[Settings]\r\nUILang=8\r\n");
  EXPECT_EQ(RunDriver({"load", "uilang"}).After("uilang "), "8");
}

}  // namespace
