#pragma once
// Calls an IDispatch member by name with arguments described by a format
// string (see ocr_format.h).

#include <windows.h>
#include <oaidl.h>

#include <cstdarg>
#include <cstdint>

// result, exception and argError may be null. With a result, a VT_I4 answer
// is stored in *result and anything else stores -1.
HRESULT InvokeByName(IDispatch* target, WORD flags, int32_t* result, EXCEPINFO* exception, UINT* argError,
                     const wchar_t* name, const char* format, ...);
HRESULT InvokeByNameV(IDispatch* target, WORD flags, int32_t* result, EXCEPINFO* exception, UINT* argError,
                      const wchar_t* name, const char* format, va_list args);

// Every byte widened to a 16-bit unit of the same value, zero-terminated.
// Null when memory runs out; free the buffer with free(). Null text gives "".
wchar_t* WidenAnsi(const char* text);
