// Library entry point: the shared objects below, the menu layer above.

#include <windows.h>

#include "menulink/integration/hook.h"
#include "menulink/integration/subclass.h"
#include "menulink/registry/running_apps.h"
#include "menulink/registry/shared_data.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      SetListingQualifier(FindPasteMenuLanguage);
      return SharedDataAttach(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      // Nothing is saved. A window still subclassed (the process ends
      // without closing it) is counted out, or the count would never come
      // back to 0 and the controller never hear that the hook may go.
      ReleaseAtProcessExit();
      SharedDataRelease();
      return TRUE;
    default:
      return TRUE;
  }
}
