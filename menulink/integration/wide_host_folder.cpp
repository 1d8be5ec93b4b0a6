// Compiled once per library variant: the test library lies in a folder
// without the host, and the shared objects never see the test build's
// definition.

#include "menulink/integration/wide_host_folder.h"

#include <cstring>

#include "menulink/registry/shared_data.h"

bool WideHostFolder(char* folder, DWORD size) {
  if (!folder || size < 2) return false;
  folder[0] = '\0';
#ifdef MENULINK_TEST_BUILD
  // Tests that want the host name its folder; the others get none.
  DWORD n = GetEnvironmentVariableA("MENULINK_HOST_DIR", folder, size);
  if (n == 0 || n >= size - 1) {
    folder[0] = '\0';
    return false;
  }
  if (folder[n - 1] != '\\') lstrcatA(folder, "\\");
#else
  DWORD n = GetModuleFileNameA(MenulinkModule(), folder, size);
  if (n == 0 || n >= size) {
    folder[0] = '\0';
    return false;
  }
  char* slash = std::strrchr(folder, '\\');
  if (slash) slash[1] = '\0';
#endif
  return true;
}
