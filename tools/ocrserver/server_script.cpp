#include "tools/ocrserver/server_script.h"

#include <cctype>
#include <cstdio>

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool ParseAnswer(const std::string& text, ScriptAnswer* a) {
  std::string t = Upper(Trim(text));
  if (t == "ERROR") {
    a->kind = ScriptAnswer::Error;
    return true;
  }
  if (t == "EMPTY") {
    a->kind = ScriptAnswer::Empty;
    return true;
  }
  a->kind = ScriptAnswer::Value;
  return ParseScriptInt(t, &a->value);
}

}  // namespace

bool ParseScriptInt(const std::string& raw, int32_t* out) {
  std::string t = Trim(raw);
  if (t.empty()) return false;
  size_t i = 0;
  bool neg = false;
  if (t[0] == '-' || t[0] == '+') {
    neg = t[0] == '-';
    i = 1;
  }
  unsigned base = 10;
  if (t.size() > i + 1 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    int c = tolower(static_cast<unsigned char>(t[i]));
    unsigned d;
    if (c >= '0' && c <= '9')
      d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = static_cast<unsigned>(c - 'a' + 10);
    else
      return false;
    v = (v * base + d) & 0xFFFFFFFFull;
  }
  uint32_t u = static_cast<uint32_t>(v);
  if (neg) u = 0u - u;
  *out = static_cast<int32_t>(u);
  return true;
}

void ServerScript::Parse(const std::string& text) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trim(line.substr(0, eq));
    std::string value = line.substr(eq + 1);
    if (Upper(key) == "CLIPBOARD") {
      hasClipboard_ = true;
      clipboard_ = value;
      continue;
    }
    size_t dot = key.find('.');
    std::string method = Upper(key.substr(0, dot));
    if (method.empty()) continue;
    if (dot == std::string::npos) {
      std::vector<ScriptAnswer> answers;
      size_t p = 0;
      bool ok = true;
      while (ok) {
        size_t comma = value.find(',', p);
        ScriptAnswer a;
        ok = ParseAnswer(value.substr(p, comma == std::string::npos ? std::string::npos : comma - p), &a);
        if (ok) answers.push_back(a);
        if (comma == std::string::npos) break;
        p = comma + 1;
      }
      if (ok && !answers.empty()) {
        MethodScript& m = methods_[method];
        m.answers = answers;
        m.next = 0;
      }
      continue;
    }
    std::string what = Upper(key.substr(dot + 1));
    if (what == "DELAY") {
      int32_t ms;
      if (ParseScriptInt(value, &ms) && ms >= 0) methods_[method].delayMs = static_cast<uint32_t>(ms);
    } else if (what.rfind("OUT", 0) == 0 && what.size() > 3) {
      int32_t n;
      if (ParseScriptInt(what.substr(3), &n) && n > 0) methods_[method].outs[n] = value;
    }
  }
}

const MethodScript* ServerScript::Find(const std::string& method) const {
  auto it = methods_.find(Upper(method));
  return it == methods_.end() ? nullptr : &it->second;
}

ScriptAnswer ServerScript::NextAnswer(const std::string& method) {
  auto it = methods_.find(Upper(method));
  if (it == methods_.end() || it->second.answers.empty()) return ScriptAnswer{};
  MethodScript& m = it->second;
  ScriptAnswer a = m.answers[m.next];
  if (m.next + 1 < m.answers.size()) ++m.next;
  return a;
}

uint32_t ServerScript::DelayMs(const std::string& method) const {
  const MethodScript* m = Find(method);
  return m ? m->delayMs : 0;
}

bool ServerScript::Out(const std::string& method, int n, std::string* text) const {
  const MethodScript* m = Find(method);
  if (!m) return false;
  auto it = m->outs.find(n);
  if (it == m->outs.end()) return false;
  *text = it->second;
  return true;
}

std::string QuoteLogText(const std::u16string& text) {
  std::string out = "\"";
  for (char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 32 && c <= 126) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  out += '"';
  return out;
}
