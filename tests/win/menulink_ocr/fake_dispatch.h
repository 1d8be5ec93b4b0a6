#pragma once
// An in-process IDispatch that records what it is asked, and counting
// replacements for the test program's own imports of SysAllocString and
// SysFreeString, so that tests can see every string the helper allocates.

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

struct RecordedCall {
  DISPID id = 0;
  WORD flags = 0;
  std::vector<VARIANT> args;        // as received: last argument first
  std::vector<std::wstring> texts;  // BSTR contents by the same index
  std::vector<BSTR> bstrs;          // BSTR pointers by the same index
  UINT namedCount = 0;
  DISPID named = 0;
  bool hadResult = false;
};

class FakeDispatch final : public IDispatch {
 public:
  std::vector<std::wstring> names = {L"Alpha", L"Beta"};
  std::vector<std::wstring> askedNames;
  std::vector<RecordedCall> calls;
  HRESULT namesHr = S_OK;
  HRESULT invokeHr = S_OK;
  VARTYPE resultType = VT_I4;
  LONG resultValue = 0;
  std::function<void(DISPPARAMS*)> onInvoke;
  LONG refs = 1;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* n, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO*,
                      UINT*) override;
};

// Counts the test program's calls of SysAllocString / SysFreeString.
struct BstrLedger {
  int allocs = 0;
  int frees = 0;
  int badFrees = 0;  // a pointer that is not live (double or foreign free)
  std::set<BSTR> live;
  std::vector<BSTR> freed;
  void Reset() { *this = BstrLedger{}; }
};
extern BstrLedger ledger;

// Replaces the imports; false when they could not be found.
bool InstallBstrLedger();
