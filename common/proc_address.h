// ProcAddress<Fn>(module, name): an export looked up by name, as the function
// type the caller names. GetProcAddress answers with one generic FARPROC
// whatever the export really is; this is the one place that converts it, so
// that -Wcast-function-type stays on everywhere else, where a mismatch
// between two function types (on 32-bit, two calling conventions) is a fault.
#pragma once

#include <windows.h>

#include <type_traits>

template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  static_assert(std::is_pointer_v<Fn> && std::is_function_v<std::remove_pointer_t<Fn>>,
                "ProcAddress needs the export's function pointer type");
  if (!module) return nullptr;
  // void (*)() is the one function type GCC lets convert to any other.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
