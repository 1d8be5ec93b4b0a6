#include "tests/win/menulink_ocr/fake_dispatch.h"

#include <cstring>

BstrLedger ledger;

STDMETHODIMP FakeDispatch::QueryInterface(REFIID iid, void** out) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* n, UINT count, LCID, DISPID* ids) {
  askedNames.push_back(count ? n[0] : L"");
  if (count != 1) return E_INVALIDARG;
  if (FAILED(namesHr)) return namesHr;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == n[0]) {
      ids[0] = static_cast<DISPID>(100 + i);
      return S_OK;
    }
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP FakeDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
  RecordedCall c;
  c.id = id;
  c.flags = flags;
  c.hadResult = result != nullptr;
  c.namedCount = p->cNamedArgs;
  c.named = p->cNamedArgs ? p->rgdispidNamedArgs[0] : 0;
  for (UINT i = 0; i < p->cArgs; ++i) {
    const VARIANT& v = p->rgvarg[i];
    c.args.push_back(v);
    bool isBstr = v.vt == VT_BSTR;
    c.bstrs.push_back(isBstr ? v.bstrVal : nullptr);
    c.texts.push_back(isBstr && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"");
  }
  calls.push_back(c);
  if (onInvoke) onInvoke(p);
  if (result) {
    // Allocations made here use SysAllocStringLen, which the ledger does not
    // count: the helper frees a result through VariantClear inside OLEAUT32.
    switch (resultType) {
      case VT_I4:
        result->vt = VT_I4;
        result->lVal = resultValue;
        break;
      case VT_I2:
        result->vt = VT_I2;
        result->iVal = static_cast<SHORT>(resultValue);
        break;
      case VT_BSTR:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(L"text", 4);
        break;
      default:
        result->vt = VT_EMPTY;
        break;
    }
  }
  return invokeHr;
}

namespace {

using AllocFn = BSTR(WINAPI*)(const OLECHAR*);
using FreeFn = void(WINAPI*)(BSTR);
AllocFn realAlloc;
FreeFn realFree;

BSTR WINAPI CountingAlloc(const OLECHAR* s) {
  BSTR b = realAlloc(s);
  if (b) {
    ++ledger.allocs;
    ledger.live.insert(b);
  }
  return b;
}

void WINAPI CountingFree(BSTR b) {
  if (!b) return;
  ++ledger.frees;
  if (!ledger.live.erase(b)) {
    ++ledger.badFrees;  // never hand it to the real free: it may be gone
    return;
  }
  ledger.freed.push_back(b);
  realFree(b);
}

bool Patch(const char* func, void* replacement, void** original) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + imp->Name), "oleaut32.dll") != 0) continue;
    auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
    for (; names->u1.AddressOfData; ++names, ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (strcmp(reinterpret_cast<char*>(byName->Name), func) != 0) continue;
      DWORD old;
      VirtualProtect(&thunk->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
      *original = reinterpret_cast<void*>(thunk->u1.Function);
      thunk->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&thunk->u1.Function, sizeof(void*), old, &old);
      return true;
    }
  }
  return false;
}

}  // namespace

bool InstallBstrLedger() {
  static bool done =
      Patch("SysAllocString", reinterpret_cast<void*>(&CountingAlloc),
            reinterpret_cast<void**>(&realAlloc)) &&
      Patch("SysFreeString", reinterpret_cast<void*>(&CountingFree), reinterpret_cast<void**>(&realFree));
  return done;
}
