#pragma once
// The control script a test writes for the stand-in OCR server, and the
// text form of the calls it logs. Pure logic, no <windows.h>.
//
// Script, one setting per line ('#' starts a comment line):
//   <Method>=<v>[,<v>...]   answers of successive calls, the last repeats;
//                           v is an integer (decimal or 0x hex), "error"
//                           (the call itself fails) or "empty" (no value)
//   <Method>.delay=<ms>     wait before answering
//   <Method>.out<N>=<text>  written to the N-th by-reference argument
//   clipboard=<text>        what SaveToClipBoard puts on the clipboard
// Method names compare case-insensitively; unknown lines are ignored.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ScriptAnswer {
  enum Kind { Value, Error, Empty } kind = Value;
  int32_t value = 0;
};

struct MethodScript {
  std::vector<ScriptAnswer> answers;  // empty: answer 0
  size_t next = 0;
  uint32_t delayMs = 0;
  std::map<int, std::string> outs;  // by-reference argument number, 1-based
};

class ServerScript {
 public:
  // Parses the whole text; bad lines are skipped.
  void Parse(const std::string& text);
  // The answer for the next call of method (0 when not scripted).
  ScriptAnswer NextAnswer(const std::string& method);
  uint32_t DelayMs(const std::string& method) const;
  // Text for by-reference argument n, false when not scripted.
  bool Out(const std::string& method, int n, std::string* text) const;
  bool HasClipboard() const { return hasClipboard_; }
  const std::string& Clipboard() const { return clipboard_; }

 private:
  const MethodScript* Find(const std::string& method) const;
  std::map<std::string, MethodScript> methods_;  // keys upper-cased
  bool hasClipboard_ = false;
  std::string clipboard_;
};

// Integer parse of "-12", "0xF831F82A" (taken modulo 2^32); false on junk.
bool ParseScriptInt(const std::string& text, int32_t* out);

// A string argument as it appears in the call log: quoted, with '"' and '\'
// escaped and every unit outside 32..126 written as \uXXXX.
std::string QuoteLogText(const std::u16string& text);
