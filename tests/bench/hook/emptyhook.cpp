// A hook procedure that does nothing, in a DLL of its own like the
// library's, so that the bench compares hooks reached the same way.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK EmptyHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
