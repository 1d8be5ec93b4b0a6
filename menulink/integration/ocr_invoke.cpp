#include "menulink/integration/ocr_invoke.h"

#include "menulink/integration/ocr_format.h"

#include <oleauto.h>

#include <cstdlib>
#include <cstring>

wchar_t* WidenAnsi(const char* text) {
  if (!text) text = "";
  size_t n = strlen(text);
  auto* out = static_cast<wchar_t*>(malloc((n + 1) * sizeof(wchar_t)));
  if (!out) return nullptr;
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
  out[n] = 0;
  return out;
}

namespace {

// Fills one VARIANTARG from the argument list. BSTRs it allocates are noted
// in `owned` so that they are freed once after the call.
HRESULT ConvertItem(const OcrFormatItem& item, va_list& args, VARIANTARG* v, BSTR* owned) {
  *owned = nullptr;
  if (item.byRef) {
    if (item.letter == 'A') return E_INVALIDARG;
    void* p = va_arg(args, void*);
    v->vt = static_cast<VARTYPE>(OcrFormatVariantType(item.letter) | VT_BYREF);
    if (item.letter == 'b' && p) *static_cast<VARIANT_BOOL*>(p) = 0;
    v->byref = p;
    return S_OK;
  }
  switch (item.letter) {
    case 'i':
      v->vt = VT_I2;
      v->iVal = static_cast<SHORT>(va_arg(args, int));
      break;
    case 'I':
      v->vt = VT_I4;
      v->lVal = va_arg(args, int32_t);
      break;
    case 'r':
      v->vt = VT_R4;
      v->fltVal = static_cast<float>(va_arg(args, double));
      break;
    case 'R':
      v->vt = VT_R8;
      v->dblVal = va_arg(args, double);
      break;
    case 'c':
      v->vt = VT_CY;
      v->cyVal = va_arg(args, CY);
      break;
    case 'd':
      v->vt = VT_DATE;
      v->date = va_arg(args, double);
      break;
    case 's': {
      const wchar_t* text = va_arg(args, const wchar_t*);
      BSTR b = SysAllocString(text);
      if (!b && text) {
        v->vt = VT_EMPTY;
        return E_OUTOFMEMORY;
      }
      v->vt = VT_BSTR;
      v->bstrVal = b;
      *owned = b;
      break;
    }
    case 'S': {
      wchar_t* wide = WidenAnsi(va_arg(args, const char*));
      BSTR b = wide ? SysAllocString(wide) : nullptr;
      free(wide);
      if (!b) {
        v->vt = VT_EMPTY;
        return E_OUTOFMEMORY;
      }
      v->vt = VT_BSTR;
      v->bstrVal = b;
      *owned = b;
      break;
    }
    case 'D':
      v->vt = VT_DISPATCH;
      v->pdispVal = va_arg(args, IDispatch*);
      break;
    case 'e':
      v->vt = VT_ERROR;
      v->scode = va_arg(args, int32_t);
      break;
    case 'b':
      v->vt = VT_BOOL;
      v->boolVal = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case 'v':
      *v = va_arg(args, VARIANT);
      break;
    case 'U':
      v->vt = VT_UNKNOWN;
      v->punkVal = va_arg(args, IUnknown*);
      break;
    case 'A':
      v->vt = VT_ARRAY;
      v->parray = va_arg(args, SAFEARRAY*);
      break;
    default:
      return E_INVALIDARG;
  }
  return S_OK;
}

}  // namespace

HRESULT InvokeByNameV(IDispatch* target, WORD flags, int32_t* result, EXCEPINFO* exception, UINT* argError,
                      const wchar_t* name, const char* format, va_list args) {
  if (!target) return E_INVALIDARG;
  DISPID id = 0;
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;

  const int count = OcrCountFormatItems(format);
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params = {nullptr, nullptr, 0, 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    if (count == 0) return E_INVALIDARG;
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }

  VARIANTARG* argv = nullptr;
  BSTR* owned = nullptr;
  if (count > 0) {
    argv = static_cast<VARIANTARG*>(calloc(count, sizeof(VARIANTARG)));
    owned = static_cast<BSTR*>(calloc(count, sizeof(BSTR)));
    if (!argv || !owned) {
      free(argv);
      free(owned);
      return E_OUTOFMEMORY;
    }
  }

  // IDispatch takes its arguments last first.
  hr = S_OK;
  size_t pos = 0;
  OcrFormatItem item;
  int converted = 0;
  while (SUCCEEDED(hr) && OcrReadFormatItem(format, &pos, &item)) {
    if (converted >= count) {
      hr = E_INVALIDARG;
      break;
    }
    const int slot = count - 1 - converted;
    hr = ConvertItem(item, args, &argv[slot], &owned[slot]);
    ++converted;
  }

  if (SUCCEEDED(hr)) {
    params.rgvarg = argv;
    params.cArgs = static_cast<UINT>(count);
    VARIANT out;
    if (result) VariantInit(&out);
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(flags & 0xFFFF), &params,
                        result ? &out : nullptr, exception, argError);
    if (result) {
      *result = out.vt == VT_I4 ? out.lVal : -1;
      // Any other answer (a string, an object) would leak if left uncleared.
      VariantClear(&out);
    }
  }

  for (int i = 0; i < count; ++i)
    if (owned[i]) SysFreeString(owned[i]);
  free(owned);
  free(argv);
  return hr;
}

HRESULT InvokeByName(IDispatch* target, WORD flags, int32_t* result, EXCEPINFO* exception, UINT* argError,
                     const wchar_t* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  HRESULT hr = InvokeByNameV(target, flags, result, exception, argError, name, format, args);
  va_end(args);
  return hr;
}
