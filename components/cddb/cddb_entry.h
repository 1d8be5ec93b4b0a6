// What a CDDB record says about one disc, decoded to UTF-16.
#pragma once
#include <string>
#include <vector>

struct CddbEntry {
  std::string category;                   // as the server named it, e.g. "rock"
  std::string discId;                     // 8 hex digits
  std::wstring discTitle;                 // DTITLE as stored: "Artist / Album"
  std::wstring artist;                    // DTITLE before " / " (whole DTITLE when absent)
  std::wstring album;                     // DTITLE after " / " (whole DTITLE when absent)
  std::wstring year;                      // DYEAR, may be empty
  std::wstring genre;                     // DGENRE, may be empty
  std::wstring extended;                  // EXTD
  std::vector<std::wstring> trackTitles;  // [0] is track 1; gaps stay empty
};
