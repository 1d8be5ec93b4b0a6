// Test driver: loads menulink.dll like any host process and runs the
// commands given as arguments, one result line each on stdout. Arguments
// are "name|arg|arg...".

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "menulink/registry/internals.h"
#include "common/file_util.h"
#include "common/proc_address.h"

namespace {

const MenulinkInternalsTable* ml = nullptr;
HMODULE dll = nullptr;

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t bar = s.find('|', start);
    out.push_back(s.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) return out;
    start = bar + 1;
  }
}

std::string Hex(const char* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = (unsigned char)p[i];
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Field(const char* f, size_t size) { return std::string(f, strnlen(f, size)); }

void Dump() {
  AppRecord* t = *ml->table;
  std::printf("count %d\n", (int)ml->shared->appCount);
  for (int i = 0; i < ml->shared->appCount && i < MAX_APPS; ++i) {
    const AppRecord& r = t[i];
    std::printf("slot %d|%s|%s|%s|%d|%d\n", i, Field(r.module, sizeof r.module).c_str(),
                Field(r.path, sizeof r.path).c_str(), Field(r.title, sizeof r.title).c_str(), (int)r.enabled,
                (int)r.running);
  }
}

bool Terminated(const char* f, size_t size) { return strnlen(f, size) < size; }

// Checked with the mutex held; returns the number of broken invariants.
int CheckInvariants() {
  AppRecord* t = *ml->table;
  int bad = 0;
  int count = ml->shared->appCount;
  if (count < 0 || count > MAX_APPS) return 1;
  for (int i = 0; i < MAX_APPS; ++i) {
    const AppRecord& r = t[i];
    if (i < count) {
      if (!Terminated(r.module, sizeof r.module) || !Terminated(r.title, sizeof r.title) ||
          !Terminated(r.path, sizeof r.path))
        ++bad;
      if ((r.enabled != 0 && r.enabled != 1) || (r.running != 0 && r.running != 1)) ++bad;
    } else {
      static const AppRecord zero{};
      if (std::memcmp(&r, &zero, sizeof r) != 0) ++bad;
    }
  }
  return bad;
}

// Random accessor calls for a while. Only wait failures and invariant
// violations are counted; results of calls are not predictable when other
// processes change the table at the same time.
void Stress(DWORD seconds, unsigned seed) {
  std::srand(seed);
  DWORD end = GetTickCount() + seconds * 1000;
  long ops = 0, failures = 0, violations = 0, checks = 0;
  std::string longText(400, 'L');
  char buf[300];
  while ((long)(GetTickCount() - end) < 0) {
    int index = std::rand() % (MAX_APPS + 2) - 1;
    char name[32];
    std::snprintf(name, sizeof name, "APP%02d.EXE", std::rand() % 30);
    int32_t found = -2, r = 1;
    switch (std::rand() % 12) {
      case 0:
        // -1 on a full table is a normal answer here.
        ml->add(nullptr, name, std::rand() % 2 ? "C:\\x" : longText.c_str());
        break;
      case 1:
        r = ml->findByModule(name, &found);
        break;
      case 2:
        r = ml->findByTitle("unknown", &found);
        break;
      case 3:
        ml->enable(index);
        break;
      case 4:
        ml->disable(index);
        break;
      case 5:
        ml->setRunning(index);
        break;
      case 6:
        ml->clearRunning(index);
        break;
      case 7:
        ml->setTitle(index, std::rand() % 2 ? "Title" : longText.c_str());
        break;
      case 8:
        ml->setPath(index, longText.c_str());
        break;
      case 9:
        ml->getPath(index, buf, sizeof buf);
        break;
      case 10:
        ml->isEnabled(index);
        break;
      default: {
        DWORD w = ml->lock();
        if (w == WAIT_OBJECT_0) {
          violations += CheckInvariants();
          ++checks;
          ml->unlock();
        } else {
          r = 0;
        }
      }
    }
    if (r == 0) ++failures;
    ++ops;
  }
  std::printf("stress ops=%ld checks=%ld failures=%ld violations=%ld\n", ops, checks, failures, violations);
}

HANDLE Event(const std::string& name) { return CreateEventA(nullptr, TRUE, FALSE, name.c_str()); }

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

HWND MakeWindow(const char* text) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MenulinkDriverWindow";
  RegisterClassA(&wc);
  return CreateWindowExA(0, wc.lpszClassName, text, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

int Run(const std::vector<std::string>& a) {
  const std::string& c = a[0];
  auto arg = [&](size_t i) -> const char* { return i < a.size() ? a[i].c_str() : ""; };
  auto num = [&](size_t i) { return (int32_t)std::atoi(arg(i)); };

  if (c == "load" || c == "loadfrom") {
    // The test variant beside the driver, as every host would load it;
    // "loadfrom|PATH" loads a copy of it instead, whose shared section is
    // its own, as the library of the other width has.
    std::string path = c == "load" ? ExeFolder<char>() + "testlib\\menulink.dll" : std::string(arg(1));
    dll = LoadLibraryA(path.c_str());
    if (!dll) {
      std::printf("load 0\n");
      return 1;
    }
    auto proc = ProcAddress<MenulinkInternalsProc>(dll, "MenulinkInternals");
    ml = proc ? proc() : nullptr;
    if (!ml || ml->version != kInternalsVersion) {
      std::printf("load bad-internals\n");
      return 1;
    }
    std::printf("load 1\n");
    return 0;
  }
  if (c == "signal") return SetEvent(Event(a[1])) ? 0 : 1;
  if (c == "wait") {
    DWORD r = WaitForSingleObject(Event(a[1]), 60000);
    std::printf("wait %s %s\n", arg(1), r == WAIT_OBJECT_0 ? "ok" : "timeout");
    return 0;
  }
  if (c == "sleep") {
    Sleep((DWORD)num(1));
    return 0;
  }
  if (!ml) {
    std::printf("%s not-loaded\n", c.c_str());
    return 1;
  }
  int32_t index = -2;
  if (c == "dump")
    Dump();
  else if (c == "shared")
    std::printf("shared %d %d %d %s\n", (int)ml->shared->appCount, (int)ml->shared->hookedWindowCount,
                (int)ml->shared->featureDisabled, ml->section->moduleHandle ? "module" : "nomodule");
  else if (c == "setdisabled")
    ml->shared->featureDisabled = num(1);
  else if (c == "append")
    std::printf("append %d\n", (int)ml->appendRecord(arg(1)));
  else if (c == "add")
    std::printf("add %d\n", (int)ml->add(nullptr, arg(1), arg(2)));
  else if (c == "addwin") {
    HWND w = MakeWindow(arg(2));
    std::printf("addwin %d\n", (int)ml->add(w, arg(1), arg(3)));
    DestroyWindow(w);
  } else if (c == "findmod") {
    int32_t r = ml->findByModule(arg(1), &index);
    std::printf("findmod %d %d\n", (int)r, (int)index);
  } else if (c == "findtitle") {
    int32_t r = ml->findByTitle(arg(1), &index);
    std::printf("findtitle %d %d\n", (int)r, (int)index);
  } else if (c == "settitle")
    std::printf("settitle %d\n", (int)ml->setTitle(num(1), arg(2)));
  else if (c == "setpath")
    std::printf("setpath %d\n", (int)ml->setPath(num(1), arg(2)));
  else if (c == "getpath") {
    char buf[300];
    std::strcpy(buf, "untouched");
    int32_t r = ml->getPath(num(1), buf, a.size() > 2 ? (DWORD)num(2) : 264);
    std::printf("getpath %d %s\n", (int)r, buf);
  } else if (c == "enable")
    std::printf("enable %d\n", (int)ml->enable(num(1)));
  else if (c == "disable")
    std::printf("disable %d\n", (int)ml->disable(num(1)));
  else if (c == "run")
    std::printf("run %d\n", (int)ml->setRunning(num(1)));
  else if (c == "stop")
    std::printf("stop %d\n", (int)ml->clearRunning(num(1)));
  else if (c == "isenabled")
    std::printf("isenabled %d\n", (int)ml->isEnabled(num(1)));
  else if (c == "savevalues" || c == "savekey") {
    DWORD w = ml->lock();
    if (w != WAIT_OBJECT_0) {
      std::printf("%s lock-failed\n", c.c_str());
      return 0;
    }
    int32_t r = 1;
    if (c == "savevalues")
      ml->saveByValues();
    else
      r = ml->saveByKey();
    ml->unlock();
    std::printf("%s %d\n", c.c_str(), (int)r);
  } else if (c == "installpath") {
    char buf[32];
    int32_t r = ml->getInstallPath(arg(1), buf, sizeof buf);
    std::printf("installpath %d %s\n", (int)r, r ? buf : "");
  } else if (c == "inifind")
    std::printf("inifind %d\n", (int)ml->findIniAppNumber(arg(1)));
  else if (c == "uilang")
    std::printf("uilang %d\n", (int)ml->getUILanguage());
  else if (c == "msg") {
    if (a.size() > 2)
      ml->showErrorMessage(nullptr, num(1), arg(2));
    else
      ml->showErrorMessage(nullptr, num(1));
  } else if (c == "strings") {
    // Every identifier of every language index, as ANSI bytes in hex.
    for (int lang = 0; lang < 18; ++lang) {
      for (int base = 301; base <= 325; ++base) {
        char buf[512];
        int n = ml->loadLocalString(base, lang, buf, sizeof buf);
        if (n > 0) std::printf("str %d %s\n", base + 2000 * lang, Hex(buf, (size_t)n).c_str());
      }
    }
  } else if (c == "holdlock") {
    // Takes the mutex and never gives it back (until killed or released).
    DWORD w = ml->lock();
    std::printf("holdlock %lu\n", (unsigned long)w);
    std::fflush(stdout);
    SetEvent(Event(a[1]));
    Sleep(a.size() > 2 ? (DWORD)num(2) : INFINITE);
    if (w == WAIT_OBJECT_0) ml->unlock();
  } else if (c == "check") {
    DWORD w = ml->lock();
    if (w != WAIT_OBJECT_0) {
      std::printf("check lock-failed %lu\n", (unsigned long)w);
      return 0;
    }
    int bad = CheckInvariants();
    ml->unlock();
    std::printf("check %d\n", bad);
  } else if (c == "stress")
    Stress((DWORD)num(1), (unsigned)num(2));
  else if (c == "title") {
    HWND w = MakeWindow(arg(1));
    char buf[64];
    ml->getAppTitle(w, buf, sizeof buf);
    std::printf("title %s\n", buf);
    DestroyWindow(w);
  } else {
    std::printf("unknown-command %s\n", c.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  int status = 0;
  for (int i = 1; i < argc; ++i) status |= Run(Split(argv[i]));
  return status;
}
