#include "menulink/registry/error_messages.h"

#include <cstdarg>
#include <cstdio>

#include "menulink/registry/shared_data.h"

namespace {

// Set once at attach from the environment, in the test variant only.
char captureFile[MAX_PATH];

void AppendEscaped(char* out, size_t outSize, size_t& n, const char* text) {
  for (const char* p = text; *p && n + 3 < outSize; ++p) {
    if (*p == '\n') {
      out[n++] = '\\';
      out[n++] = 'n';
    } else if (*p == '\r') {
      out[n++] = '\\';
      out[n++] = 'r';
    } else {
      out[n++] = *p;
    }
  }
}

void CaptureMessage(int32_t id, int32_t language, const char* caption, const char* text) {
  char line[640];
  int head = std::snprintf(line, sizeof line, "%ld|%ld|", (long)id, (long)language);
  size_t n = head > 0 ? (size_t)head : 0;
  AppendEscaped(line, sizeof line, n, caption);
  line[n++] = '|';
  AppendEscaped(line, sizeof line, n, text);
  line[n++] = '\n';
  // Append access keeps lines of concurrent processes whole.
  HANDLE f = CreateFileA(captureFile, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line, (DWORD)n, &written, nullptr);
  CloseHandle(f);
}

}  // namespace

LanguageIndex GetUILanguage() {
  return (LanguageIndex)GetPrivateProfileIntA("Settings", "UILang", 0, "lx70.ini");
}

void InitMessageCapture() {
#ifdef MENULINK_TEST_BUILD
  DWORD n = GetEnvironmentVariableA("MENULINK_CAPTURE_MESSAGES_TO", captureFile, sizeof captureFile);
  if (n == 0 || n >= sizeof captureFile) captureFile[0] = '\0';
#else
  // The shipped library always shows its boxes: no process may redirect
  // them through its environment.
  captureFile[0] = '\0';
#endif
}

int LoadLocalString(int32_t base, int32_t language, char* buf, int bufSize) {
  if (bufSize <= 0) return 0;
  buf[0] = '\0';
  // The handle DllMain received: the library is menulink.dll or
  // menulink64.dll, and a process may hold another copy of either name.
  int n = LoadStringA(MenulinkModule(), (UINT)StringId(base, language), buf, bufSize);
  if (n <= 0) buf[0] = '\0';
  return n > 0 ? n : 0;
}

void ShowErrorMessage(HWND owner, int32_t id, ...) {
  LanguageIndex language = GetUILanguage();
  // An index without strings would show an empty box: use English.
  if (!LanguageHasStrings(language)) language = kLangEnglish;

  char caption[25];
  char format[256];
  char text[256];
  LoadLocalString(IDS_ERROR_CAPTION, language, caption, sizeof caption);
  // A text not translated yet is shown in English rather than empty.
  if (LoadLocalString(id, language, format, sizeof format) == 0 && language != kLangEnglish) {
    language = kLangEnglish;
    LoadLocalString(IDS_ERROR_CAPTION, language, caption, sizeof caption);
    LoadLocalString(id, language, format, sizeof format);
  }

  va_list args;
  va_start(args, id);
  int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n < 0) text[0] = '\0';

  if (captureFile[0]) {
    CaptureMessage(id, language, caption, text);
    return;
  }
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONERROR);
}

void ReportMemoryConflict() { ShowErrorMessage(nullptr, IDS_ERR_MEMORY); }
