#pragma once
// Pure text and bookkeeping rules of the menu integration: how an item's
// visible text is compared, the command-identifier bitmap, module names
// taken from paths, and the list of modules never touched. No Windows
// headers, so the native tests and fuzzers reach all of it.

#include <cstddef>
#include <cstdint>

// Longest item text read from a menu for comparison (GetMenuStringA limit).
constexpr std::size_t kMenuTextMax = 63;

// The item text as the searches compare it: every "&" removed, cut at the
// first tab with the blanks before it removed, then cut at the first
// backspace (code 8) with the blanks before it removed. out has outSize
// bytes and is always terminated; outSize 0 writes nothing.
void NormaliseMenuText(char* out, std::size_t outSize, const char* in);

// The Close-command text rule: every "&" removed, cut at the first tab with
// the blanks before it removed (no backspace rule).
void NormaliseCommandText(char* out, std::size_t outSize, const char* in);

// Copies in to out without any occurrence of c and terminates it. out must
// be able to hold in. Returns out.
char* StripChar(char* out, const char* in, char c);

// ASCII case-insensitive comparison and case-sensitive substring search,
// for names of executables and the English "Close" test.
bool EqualsNoCase(const char* a, const char* b);
bool ContainsText(const char* haystack, const char* needle);

// One bit per command identifier 0 to 2047, most significant bit first.
constexpr std::uint32_t kCommandIdCount = 2048;
constexpr std::size_t kCommandIdMapBytes = kCommandIdCount / 8;
constexpr std::uint32_t kFirstItemId = 1500;
constexpr std::uint32_t kLastItemId = 2046;

void CommandIdMapClear(std::uint8_t* map);
// Identifiers above 2047 are ignored.
void CommandIdMapMark(std::uint8_t* map, std::uint32_t id);
bool CommandIdMapTest(const std::uint8_t* map, std::uint32_t id);
// The first clear identifier from 1500 to 2046, marked and returned; 0 when
// all are taken.
std::uint32_t CommandIdMapTake(std::uint8_t* map);

// The file name of a module path: after the last backslash, else after the
// first colon, else the whole path. Cut to fit outSize.
void ModuleNameFromPath(char* out, std::size_t outSize, const char* path);

// Modules whose windows are never subclassed (case-insensitive).
bool IsExcludedModule(const char* moduleName);
constexpr int kExcludedModuleCount = 17;
extern const char* const kExcludedModules[kExcludedModuleCount];

// Candidate bookkeeping of the menu-language detection: the first language
// whose File name matched, the first whose File and Edit names matched.
struct MenuLanguageCandidates {
  std::int32_t fileCandidate = -1;
  std::int32_t editCandidate = -1;
  void FileMatched(std::int32_t language) {
    if (fileCandidate < 0) fileCandidate = language;
  }
  void EditMatched(std::int32_t language) {
    if (editCandidate < 0) editCandidate = language;
  }
  // The language when no File-Edit-Paste match decided it.
  std::int32_t Result(std::int32_t current) const {
    if (editCandidate >= 0) return editCandidate;
    if (fileCandidate >= 0) return fileCandidate;
    return current;
  }
};
