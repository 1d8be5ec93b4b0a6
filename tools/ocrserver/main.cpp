// Stand-in for the OCR application's automation server, used by the tests.
//   ocrserver.exe /regserver     register as LocalServer32 under "Lexora"
//   ocrserver.exe /unregserver   remove that registration
//   ocrserver.exe -Embedding     (started by COM) serve one client
// Answers come from ocrserver-script.txt beside the executable; every call
// is appended to ocrserver-calls.log there.

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>

#include "tools/ocrserver/lexora_app.h"

namespace {

std::wstring ClsidText() {
  wchar_t buf[64];
  StringFromGUID2(CLSID_LexoraStandIn, buf, 64);
  return buf;
}

bool SetDefault(HKEY root, const std::wstring& sub, const std::wstring& value) {
  HKEY key;
  if (RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  LONG rc = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

int Register() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring clsidKey = L"CLSID\\" + ClsidText();
  bool ok = SetDefault(HKEY_CLASSES_ROOT, L"Lexora", L"Lexora automation (stand-in)") &&
            SetDefault(HKEY_CLASSES_ROOT, L"Lexora\\CLSID", ClsidText()) &&
            SetDefault(HKEY_CLASSES_ROOT, clsidKey, L"Lexora automation (stand-in)") &&
            SetDefault(HKEY_CLASSES_ROOT, clsidKey + L"\\LocalServer32", L"\"" + std::wstring(exe) + L"\"") &&
            SetDefault(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", L"Lexora");
  fprintf(stderr, ok ? "ocrserver: registered\n" : "ocrserver: registration failed\n");
  return ok ? 0 : 1;
}

int Unregister() {
  const std::wstring clsidKey = L"CLSID\\" + ClsidText();
  LONG a = RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Lexora");
  LONG b = RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
  bool ok =
      (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
  fprintf(stderr, ok ? "ocrserver: unregistered\n" : "ocrserver: unregistration failed\n");
  return ok ? 0 : 1;
}

class Factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }  // static lifetime
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    served_ = true;
    IDispatch* app = CreateLexoraApp();
    HRESULT hr = app->QueryInterface(iid, out);
    app->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  bool served() const { return served_; }

 private:
  bool served_ = false;
};

int Serve() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  static Factory factory;
  DWORD cookie = 0;
  HRESULT hr =
      CoRegisterClassObject(CLSID_LexoraStandIn, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie);
  AppendCallLog("# started " + std::to_string(GetCurrentProcessId()));
  if (SUCCEEDED(hr)) {
    // A client that never connects must not leave us running for ever.
    UINT_PTR timer = SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER && msg.wParam == timer && !factory.served()) break;
      DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
    CoRevokeClassObject(cookie);
  }
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 1;
}

bool IsSwitch(const wchar_t* arg, const wchar_t* name) {
  return (arg[0] == L'/' || arg[0] == L'-') && lstrcmpiW(arg + 1, name) == 0;
}

}  // namespace

// A GUI-subsystem program, so that COM activation under Wine starts no console.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = __argc;
  wchar_t** argv = __wargv;
  for (int i = 1; i < argc; ++i) {
    if (IsSwitch(argv[i], L"regserver")) return Register();
    if (IsSwitch(argv[i], L"unregserver")) return Unregister();
    if (IsSwitch(argv[i], L"Embedding") || IsSwitch(argv[i], L"Automation")) return Serve();
  }
  fprintf(stderr, "usage: ocrserver /regserver | /unregserver | -Embedding\n");
  return 2;
}
