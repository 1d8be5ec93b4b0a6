#include "menulink/integration/ocr_client.h"

#include "menulink/integration/ocr_invoke.h"

#include <oleauto.h>

#include <cstring>
#include <new>

STDMETHODIMP OcrClient::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown)) {
    *out = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) OcrClient::AddRef() { return static_cast<ULONG>(++refCount); }

STDMETHODIMP_(ULONG) OcrClient::Release() {
  if (--refCount == 0) {
    if (dispatch) dispatch->Release();
    dispatch = nullptr;
    delete this;
    return 0;
  }
  return static_cast<ULONG>(refCount);
}

HRESULT CreateOcrClient(OcrClient** out) {
  auto* client = new (std::nothrow) OcrClient;
  if (!client) return E_OUTOFMEMORY;
  client->AddRef();
  HRESULT hr = CLSIDFromProgID(L"Lexora", &client->clsid);
  if (FAILED(hr)) {
    client->Release();
    return hr;
  }
  IUnknown* unknown = nullptr;
  hr = CoCreateInstance(client->clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                        reinterpret_cast<void**>(&unknown));
  if (FAILED(hr)) {
    client->Release();
    return hr;
  }
  hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&client->dispatch));
  unknown->Release();
  if (FAILED(hr)) {
    client->dispatch = nullptr;
    client->Release();
    return hr;
  }
  *out = client;
  return S_OK;
}

int32_t OcrClient::Finish(HRESULT hr, int32_t value) {
  lastResult = hr;
  return hr == S_OK ? value : -1;
}

// The local's name must not be one a wrapper uses for its arguments.
#define OCR_CALL(name, format, ...)                                                         \
  do {                                                                                      \
    int32_t answer_ = -1;                                                                   \
    HRESULT hr_ = InvokeByName(dispatch, DISPATCH_METHOD, &answer_, nullptr, nullptr, name, \
                               format __VA_OPT__(, ) __VA_ARGS__);                          \
    return Finish(hr_, answer_);                                                            \
  } while (0)

namespace {
int Low16(int v) { return static_cast<int16_t>(v & 0xFFFF); }
}  // namespace

int32_t OcrClient::StartSession(int32_t window) { OCR_CALL(L"StartSession", "I", window); }
int32_t OcrClient::EndSession() { OCR_CALL(L"EndSession", nullptr); }
int32_t OcrClient::OpenDocument(const char* name) { OCR_CALL(L"OpenDocument", "S", name); }
int32_t OcrClient::SaveDocument(const char* name) { OCR_CALL(L"SaveDocument", "S", name); }
int32_t OcrClient::GetSource(int16_t* source) { OCR_CALL(L"GetSource", "&i", source); }
int32_t OcrClient::SetSource(int value) { OCR_CALL(L"SetSource", "i", Low16(value)); }

int32_t OcrClient::LoadImage() {
  int32_t value = -1;
  lastResult = InvokeByName(dispatch, DISPATCH_METHOD, &value, nullptr, nullptr, L"LoadImage", nullptr);
  if (lastResult != S_OK) return -1;
  return value == kLoadImageAlsoSuccess ? 0 : value;
}

int32_t OcrClient::ProcessImages() { OCR_CALL(L"ProcessImages", nullptr); }
int32_t OcrClient::RetrieveSetting(const char* text) { OCR_CALL(L"RetrieveSetting", "S", text); }
int32_t OcrClient::SetSetting(const char* text) { OCR_CALL(L"SetSetting", "S", text); }
int32_t OcrClient::SaveDocumentAs(const char* first, const char* second) {
  OCR_CALL(L"SaveDocumentAs", "SS", first, second);
}
int32_t OcrClient::LoadTemplate(const char* text) { OCR_CALL(L"LoadTemplate", "S", text); }
int32_t OcrClient::SaveTemplate(const char* text) { OCR_CALL(L"SaveTemplate", "S", text); }
int32_t OcrClient::PutImage(const char* text) { OCR_CALL(L"PutImage", "S", text); }
int32_t OcrClient::SetLanguageAnalyst(int first, int second) {
  OCR_CALL(L"SetLanguageAnalyst", "ii", Low16(first), Low16(second));
}
int32_t OcrClient::IsAppBusy() { OCR_CALL(L"IsAppBusy", nullptr); }
int32_t OcrClient::IsAppInitialized() { OCR_CALL(L"IsAppInitialized", nullptr); }
int32_t OcrClient::CheckRecognition(int value) { OCR_CALL(L"CheckRecognition", "i", Low16(value)); }
int32_t OcrClient::SetAutoZone(int value) { OCR_CALL(L"SetAutoZone", "i", Low16(value)); }
int32_t OcrClient::DeleteCurrentDocument() { OCR_CALL(L"DeleteCurrentDocument", nullptr); }
int32_t OcrClient::NewDocument() { OCR_CALL(L"NewDocument", nullptr); }
int32_t OcrClient::SaveToClipBoard() { OCR_CALL(L"SaveToClipBoard", nullptr); }
int32_t OcrClient::OptionDialog(int32_t value) { OCR_CALL(L"OptionDialog", "I", value); }
int32_t OcrClient::ZoneImage(int value) { OCR_CALL(L"ZoneImage", "i", Low16(value)); }
int32_t OcrClient::GetVersion() { OCR_CALL(L"GetVersion", nullptr); }
int32_t OcrClient::AddPageStart(int a, int b, int c, int d, int e, int f) {
  OCR_CALL(L"AddPageStart", "iiiiii", Low16(a), Low16(b), Low16(c), Low16(d), Low16(e), Low16(f));
}
int32_t OcrClient::AddPageDone() { OCR_CALL(L"AddPageDone", nullptr); }
int32_t OcrClient::SetPaperPortSettings(int32_t first, int32_t second) {
  OCR_CALL(L"SetPaperPortSettings", "II", first, second);
}
int32_t OcrClient::ListExportFormats(BSTR* formats, int16_t* count) {
  OCR_CALL(L"ListExportFormats", "&S&i", formats, count);
}
int32_t OcrClient::GetProductName(BSTR* name) { OCR_CALL(L"GetProductName", "&S", name); }
int32_t OcrClient::GetMetatext(BSTR* text) { OCR_CALL(L"GetMetatext", "&S", text); }
int32_t OcrClient::GetEngineVersion(int16_t* version) { OCR_CALL(L"GetEngineVersion", "&i", version); }

int32_t OcrClient::AddPageData(int a, int b, const void* data, int length) {
  const uint16_t bytes = static_cast<uint16_t>(length);
  SAFEARRAYBOUND bound = {static_cast<ULONG>((bytes + 3u) / 4u), 0};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 1, &bound);
  if (!array) return -1;
  void* storage = nullptr;
  lastResult = SafeArrayAccessData(array, &storage);
  if (FAILED(lastResult)) {
    SafeArrayDestroy(array);
    return -1;
  }
  if (bytes && data) memcpy(storage, data, bytes);

  VARIANT block;
  VariantInit(&block);
  block.vt = VT_ARRAY;
  block.parray = array;
  int32_t value = -1;
  lastResult = InvokeByName(dispatch, DISPATCH_METHOD, &value, nullptr, nullptr, L"AddPageData", "iivi",
                            Low16(a), Low16(b), block, static_cast<int>(static_cast<int16_t>(bytes)));
  bool failed = FAILED(lastResult);
  lastResult = SafeArrayUnaccessData(array);
  if (FAILED(lastResult)) failed = true;
  SafeArrayDestroy(array);
  if (failed || lastResult != S_OK) return -1;
  return value;
}
