#include "tools/ocrserver/lexora_app.h"

#include <oleauto.h>

#include <cstdio>
#include <vector>

#include "common/file_util.h"

const CLSID CLSID_LexoraStandIn = {
    0xb98701c0, 0x6b96, 0x43d6, {0x98, 0x3b, 0xe4, 0xe4, 0x60, 0xf1, 0x2a, 0xa3}};

namespace {

struct Method {
  const wchar_t* name;
  const char* format;  // what the client is expected to send
};

// The interface of the OCR application, in a fixed order: DISPID = index + 1.
const Method kMethods[] = {
    {L"StartSession", "I"},
    {L"EndSession", ""},
    {L"OpenDocument", "S"},
    {L"SaveDocument", "S"},
    {L"GetSource", "&i"},
    {L"SetSource", "i"},
    {L"LoadImage", ""},
    {L"ProcessImages", ""},
    {L"RetrieveSetting", "S"},
    {L"SetSetting", "S"},
    {L"SaveDocumentAs", "SS"},
    {L"LoadTemplate", "S"},
    {L"SaveTemplate", "S"},
    {L"PutImage", "S"},
    {L"SetLanguageAnalyst", "ii"},
    {L"IsAppBusy", ""},
    {L"IsAppInitialized", ""},
    {L"CheckRecognition", "i"},
    {L"SetAutoZone", "i"},
    {L"DeleteCurrentDocument", ""},
    {L"NewDocument", ""},
    {L"SaveToClipBoard", ""},
    {L"OptionDialog", "I"},
    {L"ZoneImage", "i"},
    {L"GetVersion", ""},
    {L"AddPageStart", "iiiiii"},
    {L"AddPageData", "iivi"},
    {L"AddPageDone", ""},
    {L"SetPaperPortSettings", "II"},
    {L"ListExportFormats", "&S&i"},
    {L"GetProductName", "&S"},
    {L"GetMetatext", "&S"},
    {L"GetEngineVersion", "&i"},
};
constexpr int kMethodCount = static_cast<int>(sizeof kMethods / sizeof kMethods[0]);

std::string Narrow(const wchar_t* w) {
  std::string s;
  for (; *w; ++w) s += static_cast<char>(*w < 128 ? *w : '?');
  return s;
}

std::wstring FromUtf8(const std::string& s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string LogText(BSTR b) {
  if (!b) return "null";
  std::u16string u(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
  return QuoteLogText(u);
}

// One argument as the log shows it: i:-1, I:5, "text", &i:0, &"text", A:<hex>.
std::string DescribeArg(const VARIANT& v) {
  char buf[64];
  VARTYPE t = v.vt;
  if (t & VT_BYREF) {
    switch (t & ~VT_BYREF) {
      case VT_I2:
        snprintf(buf, sizeof buf, "&i:%d", v.piVal ? *v.piVal : 0);
        return buf;
      case VT_I4:
        snprintf(buf, sizeof buf, "&I:%ld", v.plVal ? static_cast<long>(*v.plVal) : 0L);
        return buf;
      case VT_BSTR:
        return "&" + (v.pbstrVal ? LogText(*v.pbstrVal) : std::string("nullref"));
      default:
        snprintf(buf, sizeof buf, "&vt%u", static_cast<unsigned>(t & ~VT_BYREF));
        return buf;
    }
  }
  switch (t) {
    case VT_I2:
      snprintf(buf, sizeof buf, "i:%d", v.iVal);
      return buf;
    case VT_I4:
      snprintf(buf, sizeof buf, "I:%ld", static_cast<long>(v.lVal));
      return buf;
    case VT_BSTR:
      return LogText(v.bstrVal);
    case VT_ARRAY:
    case VT_ARRAY | VT_I4: {
      std::string s = "A:";
      SAFEARRAY* a = v.parray;
      void* data = nullptr;
      if (a && SafeArrayGetDim(a) == 1 && SUCCEEDED(SafeArrayAccessData(a, &data))) {
        LONG lo = 0, hi = -1;
        SafeArrayGetLBound(a, 1, &lo);
        SafeArrayGetUBound(a, 1, &hi);
        size_t bytes = static_cast<size_t>(hi - lo + 1) * SafeArrayGetElemsize(a);
        for (size_t i = 0; i < bytes; ++i) {
          snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char*>(data)[i]);
          s += buf;
        }
        SafeArrayUnaccessData(a);
      }
      return s;
    }
    default:
      snprintf(buf, sizeof buf, "vt%u", static_cast<unsigned>(t));
      return buf;
  }
}

void PutOnClipboard(const std::string& utf8) {
  std::wstring text = FromUtf8(utf8);
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
      if (mem) {
        memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem)) GlobalFree(mem);
      }
      CloseClipboard();
      return;
    }
    Sleep(20);
  }
  AppendCallLog("# clipboard could not be opened");
}

class LexoraApp final : public IDispatch {
 public:
  LexoraApp() { script_.Parse(ReadWholeFile(ServerFilePath(kScriptFileName))); }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
      AppendCallLog("# released");
      delete this;
      PostQuitMessage(0);
    }
    return static_cast<ULONG>(n);
  }

  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT k = 0; k < count; ++k) ids[k] = DISPID_UNKNOWN;
    for (int i = 0; i < kMethodCount; ++i)
      if (names[0] && lstrcmpiW(names[0], kMethods[i].name) == 0) ids[0] = i + 1;
    if (ids[0] == DISPID_UNKNOWN) {
      AppendCallLog("# unknown name " + Narrow(names[0] ? names[0] : L""));
      hr = DISP_E_UNKNOWNNAME;
    }
    if (count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
  }

  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT* argError) override {
    if (id < 1 || id > kMethodCount) return DISP_E_MEMBERNOTFOUND;
    const Method& m = kMethods[id - 1];
    const std::string name = Narrow(m.name);
    UINT argc = params ? params->cArgs : 0;

    std::string line = name + "(";
    for (UINT k = 0; k < argc; ++k) {
      if (k) line += ", ";
      line += DescribeArg(params->rgvarg[argc - 1 - k]);  // last first on the wire
    }
    line += ")";
    if (!(flags & DISPATCH_METHOD)) line += " flags=" + std::to_string(flags);
    AppendCallLog(line);

    if (DWORD ms = script_.DelayMs(name)) Sleep(ms);

    // By-reference outputs, numbered in the caller's order.
    for (UINT k = 0; k < argc; ++k) {
      VARIANT& v = params->rgvarg[argc - 1 - k];
      std::string text;
      if (!(v.vt & VT_BYREF) || !script_.Out(name, static_cast<int>(k + 1), &text)) continue;
      int32_t n = 0;
      switch (v.vt & ~VT_BYREF) {
        case VT_I2:
          if (ParseScriptInt(text, &n) && v.piVal) *v.piVal = static_cast<SHORT>(n);
          break;
        case VT_I4:
          if (ParseScriptInt(text, &n) && v.plVal) *v.plVal = n;
          break;
        case VT_BSTR:
          if (v.pbstrVal) {
            SysFreeString(*v.pbstrVal);
            *v.pbstrVal = SysAllocString(FromUtf8(text).c_str());
          }
          break;
        default:
          break;
      }
    }

    if (name == "SaveToClipBoard" && script_.HasClipboard()) PutOnClipboard(script_.Clipboard());

    ScriptAnswer a = script_.NextAnswer(name);
    if (a.kind == ScriptAnswer::Error) {
      if (argError) *argError = 0;
      return E_FAIL;
    }
    if (result) {
      VariantInit(result);
      if (a.kind == ScriptAnswer::Value) {
        result->vt = VT_I4;
        result->lVal = a.value;
      }
    }
    return S_OK;
  }

 private:
  LONG refs_ = 1;
  ServerScript script_;
};

}  // namespace

std::wstring ServerFilePath(const wchar_t* name) { return ExeFolder<wchar_t>() + name; }

void AppendCallLog(const std::string& line) {
  HANDLE f = CreateFileW(ServerFilePath(kCallLogFileName).c_str(), FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\r\n";
  DWORD put = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
  CloseHandle(f);
}

IDispatch* CreateLexoraApp() { return new LexoraApp; }
