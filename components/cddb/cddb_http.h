// One HTTP GET over WinHTTP (a cddb.cgi request, or any file of a server),
// abortable from another thread.
#pragma once
#include <windows.h>

#include <string>

#include "components/cddb/cddb_url.h"

constexpr size_t kCddbMaxAnswerBytes = 1 << 20;

class CddbHttpCall {
 public:
  CddbHttpCall();
  ~CddbHttpCall();
  CddbHttpCall(const CddbHttpCall&) = delete;
  CddbHttpCall& operator=(const CddbHttpCall&) = delete;

  // Blocks; false with a message for the user when no usable answer came.
  bool Get(const CddbServerUrl& url, const std::string& query, const std::wstring& agent, DWORD timeoutMs,
           std::string& body, std::wstring& error);
  // GET of object (path and query as sent). True when an HTTP answer came,
  // whatever its status; the body is kept only for status 200. Messages
  // name the server as "The <kind> server ...".
  bool Fetch(const CddbServerUrl& url, const std::wstring& object, const std::wstring& agent, DWORD timeoutMs,
             const std::wstring& kind, std::string& body, DWORD& status, std::wstring& error);
  // Any thread: makes a running or later Get or Fetch fail soon.
  void Abort();

 private:
  bool Live();  // false once aborted
  void CloseAll();

  CRITICAL_SECTION lock_;
  bool aborted_ = false;
  void* session_ = nullptr;
  void* connect_ = nullptr;
  void* request_ = nullptr;
};
