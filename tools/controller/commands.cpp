#include "tools/controller/commands.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include "common/proc_address.h"

namespace {

using ModuleCallback = void(WINAPI*)(const char*, int32_t);

struct Command {
  const char* word;
  bool takesName;
};
const Command kCommands[] = {{"list", false},    {"register", true}, {"unregister", true},
                             {"save", false},    {"disable", false}, {"enable", false},
                             {"running", false}, {"shutdown", false}};

const Command* Find(const char* word) {
  for (const Command& c : kCommands)
    if (std::strcmp(c.word, word) == 0) return &c;
  return nullptr;
}

void WINAPI PrintModule(const char* name, int32_t flag) {
  std::printf("%s\t%s\n", flag ? "registered" : "-", name ? name : "");
}

template <class T>
T Export(HMODULE library, const char* name) {
  return ProcAddress<T>(library, name);
}

}  // namespace

bool IsManagementCommand(const char* word) { return word && Find(word); }

int RunManagementCommands(HMODULE library, int argc, char** argv) {
  auto getModules = Export<void(WINAPI*)(ModuleCallback)>(library, "GTGetModules");
  auto registerApp = Export<void(WINAPI*)(const char*)>(library, "GTRegisterNewApp");
  auto unregisterApp = Export<void(WINAPI*)(const char*)>(library, "GTUnregisterApp");
  auto listUpdate = Export<int32_t(WINAPI*)(int32_t)>(library, "GTListUpdate");
  auto shutDown = Export<int32_t(WINAPI*)()>(library, "GTShutDown");
  auto disable = Export<int32_t(WINAPI*)()>(library, "GTDisableGlyphtap");
  auto enable = Export<void(WINAPI*)()>(library, "GTEnableGlyphtap");
  auto running = Export<int32_t(WINAPI*)(HWND)>(library, "GTGetRunningApps");
  if (!getModules || !registerApp || !unregisterApp || !listUpdate || !shutDown || !disable || !enable ||
      !running) {
    std::fprintf(stderr, "controller: the library lacks the management exports\n");
    return 4;
  }
  for (int i = 0; i < argc; ++i) {
    const Command* c = Find(argv[i]);
    if (!c) {
      std::fprintf(stderr, "controller: unknown command %s\n", argv[i]);
      return 2;
    }
    const char* name = nullptr;
    if (c->takesName) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "controller: %s needs a name\n", c->word);
        return 2;
      }
      name = argv[++i];
    }
    if (std::strcmp(c->word, "list") == 0) {
      getModules(PrintModule);
      // The listing's candidates are freed again, nothing saved.
      listUpdate(0);
    } else if (std::strcmp(c->word, "register") == 0) {
      registerApp(name);
    } else if (std::strcmp(c->word, "unregister") == 0) {
      unregisterApp(name);
    } else if (std::strcmp(c->word, "save") == 0) {
      std::printf("save %ld\n", (long)listUpdate(1));
    } else if (std::strcmp(c->word, "disable") == 0) {
      std::printf("disable %ld\n", (long)disable());
    } else if (std::strcmp(c->word, "enable") == 0) {
      enable();
    } else if (std::strcmp(c->word, "running") == 0) {
      std::printf("running %ld\n", (long)running(nullptr));
    } else if (std::strcmp(c->word, "shutdown") == 0) {
      std::printf("shutdown %ld\n", (long)shutDown());
    }
    std::fflush(stdout);
  }
  return 0;
}
