#pragma once
// Client of the OCR application's automation server (ProgID "Lexora"): holds
// the server's dispatch interface and has one wrapper per server method.
// Every wrapper returns the server's 32-bit result, or -1 when the call
// failed or the answer was not an integer; the HRESULT is in lastResult.

#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

#include <cstdint>

// The server method is called LoadImage; the Win32 macro of that name must
// not rename it.
#ifdef LoadImage
#undef LoadImage
#endif

struct OcrClient final : public IUnknown {
  HRESULT lastResult = S_OK;
  LONG refCount = 0;
  IDispatch* dispatch = nullptr;
  CLSID clsid = {};

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  int32_t StartSession(int32_t window);
  int32_t EndSession();
  int32_t OpenDocument(const char* name);
  int32_t SaveDocument(const char* name);
  int32_t GetSource(int16_t* source);
  int32_t SetSource(int value);
  int32_t LoadImage();
  int32_t ProcessImages();
  int32_t RetrieveSetting(const char* text);
  int32_t SetSetting(const char* text);
  int32_t SaveDocumentAs(const char* first, const char* second);
  int32_t LoadTemplate(const char* text);
  int32_t SaveTemplate(const char* text);
  int32_t PutImage(const char* text);
  int32_t SetLanguageAnalyst(int first, int second);
  int32_t IsAppBusy();
  int32_t IsAppInitialized();
  int32_t CheckRecognition(int value);
  int32_t SetAutoZone(int value);
  int32_t DeleteCurrentDocument();
  int32_t NewDocument();
  int32_t SaveToClipBoard();
  int32_t OptionDialog(int32_t value);
  int32_t ZoneImage(int value);
  int32_t GetVersion();
  int32_t AddPageStart(int a, int b, int c, int d, int e, int f);
  int32_t AddPageData(int a, int b, const void* data, int length);
  int32_t AddPageDone();
  int32_t SetPaperPortSettings(int32_t first, int32_t second);
  // Strings returned through references belong to the caller (SysFreeString).
  int32_t ListExportFormats(BSTR* formats, int16_t* count);
  int32_t GetProductName(BSTR* name);
  int32_t GetMetatext(BSTR* text);
  int32_t GetEngineVersion(int16_t* version);

 private:
  int32_t Finish(HRESULT hr, int32_t value);
};

// LoadImage's "nothing went wrong" code, reported as 0.
constexpr int32_t kLoadImageAlsoSuccess = static_cast<int32_t>(0xF831F82Au);

// Creates the client and connects it to a new server; *out is set (with one
// reference) only on success.
HRESULT CreateOcrClient(OcrClient** out);
