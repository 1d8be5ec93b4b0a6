#include "components/cddb/cddb_http.h"

#include <winhttp.h>

namespace {

bool IsLoopback(const std::wstring& host) {
  return host == L"127.0.0.1" || host == L"localhost" || host == L"::1";
}

std::wstring NetworkError(DWORD code, const std::wstring& kind, const std::wstring& host) {
  switch (code) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return L"The " + kind + L" server name " + host +
             L" cannot be resolved; is the computer connected to the internet?";
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return L"No connection to the " + kind + L" server " + host + L" could be made.";
    case ERROR_WINHTTP_TIMEOUT:
      return L"The " + kind + L" server " + host + L" did not answer in time.";
    case ERROR_WINHTTP_OPERATION_CANCELLED:
    case ERROR_INVALID_HANDLE:
      return L"The " + kind + L" lookup was stopped.";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return L"The " + kind + L" server " + host + L" sent an invalid HTTP answer.";
    default:
      return L"The " + kind + L" server " + host + L" could not be reached (error " + std::to_wstring(code) +
             L").";
  }
}

}  // namespace

CddbHttpCall::CddbHttpCall() { InitializeCriticalSection(&lock_); }

CddbHttpCall::~CddbHttpCall() {
  CloseAll();
  DeleteCriticalSection(&lock_);
}

bool CddbHttpCall::Live() {
  const DWORD err = GetLastError();  // callers read it afterwards
  EnterCriticalSection(&lock_);
  const bool aborted = aborted_;
  LeaveCriticalSection(&lock_);
  SetLastError(err);
  return !aborted;
}

void CddbHttpCall::CloseAll() {
  EnterCriticalSection(&lock_);
  // Closing a handle from another thread cancels a blocking call on it.
  if (request_) WinHttpCloseHandle(request_);
  if (connect_) WinHttpCloseHandle(connect_);
  if (session_) WinHttpCloseHandle(session_);
  request_ = connect_ = session_ = nullptr;
  LeaveCriticalSection(&lock_);
}

void CddbHttpCall::Abort() {
  EnterCriticalSection(&lock_);
  aborted_ = true;
  LeaveCriticalSection(&lock_);
  CloseAll();
}

bool CddbHttpCall::Get(const CddbServerUrl& url, const std::string& query, const std::wstring& agent,
                       DWORD timeoutMs, std::string& body, std::wstring& error) {
  std::wstring object = url.path + L"?";
  for (char ch : query) object.push_back(static_cast<wchar_t>(static_cast<unsigned char>(ch)));
  DWORD status = 0;
  if (!Fetch(url, object, agent, timeoutMs, L"CDDB", body, status, error)) return false;
  if (status != 200) {
    error = L"The CDDB server " + url.host + L" answered with HTTP status " + std::to_wstring(status) + L".";
    return false;
  }
  return true;
}

bool CddbHttpCall::Fetch(const CddbServerUrl& url, const std::wstring& object, const std::wstring& agent,
                         DWORD timeoutMs, const std::wstring& kind, std::string& body, DWORD& status,
                         std::wstring& error) {
  body.clear();
  status = 0;
  CloseAll();
  const auto fail = [&](DWORD code) {
    error = NetworkError(code, kind, url.host);
    CloseAll();
    return false;
  };
  // Each handle is published under the lock before use, so Abort can close it.
  const auto publish = [&](void*& slot, void* h) {
    EnterCriticalSection(&lock_);
    const bool ok = !aborted_ && h;
    if (ok)
      slot = h;
    else if (h)
      WinHttpCloseHandle(h);
    LeaveCriticalSection(&lock_);
    return ok;
  };
  HINTERNET s = WinHttpOpen(
      agent.c_str(), IsLoopback(url.host) ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  const DWORD openErr = s ? 0 : GetLastError();
  if (!publish(session_, s)) return fail(s ? ERROR_WINHTTP_OPERATION_CANCELLED : openErr);
  const int t = static_cast<int>(timeoutMs);
  WinHttpSetTimeouts(s, t, t, t, t);
  HINTERNET c = WinHttpConnect(s, url.host.c_str(), url.port, 0);
  const DWORD connErr = c ? 0 : GetLastError();
  if (!publish(connect_, c)) return fail(c ? ERROR_WINHTTP_OPERATION_CANCELLED : connErr);
  HINTERNET r = WinHttpOpenRequest(c, L"GET", object.c_str(), nullptr, WINHTTP_NO_REFERER,
                                   WINHTTP_DEFAULT_ACCEPT_TYPES, url.secure ? WINHTTP_FLAG_SECURE : 0);
  const DWORD reqErr = r ? 0 : GetLastError();
  if (!publish(request_, r)) return fail(r ? ERROR_WINHTTP_OPERATION_CANCELLED : reqErr);
  // An aborted call reports "stopped" whatever error the closed handle gave.
  const auto failed = [&]() { return fail(Live() ? GetLastError() : ERROR_WINHTTP_OPERATION_CANCELLED); };
  if (!WinHttpSendRequest(r, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(r, nullptr) || !Live())
    return failed();
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(r, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    return fail(GetLastError());
  if (status != 200) {
    CloseAll();
    return true;
  }
  char buf[8192];
  for (;;) {
    DWORD got = 0;
    if (!WinHttpReadData(r, buf, sizeof buf, &got) || !Live()) return failed();
    if (got == 0) break;
    if (body.size() + got > kCddbMaxAnswerBytes) {
      body.clear();
      error = L"The " + kind + L" server " + url.host + L" sent an answer larger than 1 MiB.";
      CloseAll();
      return false;
    }
    body.append(buf, got);
  }
  CloseAll();
  return true;
}
