// The CDDB client behind CdBase1: "Open" reads the TOC and starts the
// exchange on a worker thread; DiscTitle waits for it while the UI thread
// keeps dispatching messages, bounded by our own time-out (WinHTTP's own
// time-outs are not reliable under Wine).
#include <windows.h>

#include <new>

#include "components/cddb/cddb.h"
#include "components/cddb/cddb_discid.h"
#include "components/cddb/cddb_http.h"
#include "components/cddb/cddb_lookup.h"
#include "components/cddb/cddb_text.h"
#include "components/cddb/cddb_url.h"
#include "wq_version.h"

#define CDDB_WIDEN2(x) L##x
#define CDDB_WIDEN(x) CDDB_WIDEN2(x)

namespace {

// Shared by the UI thread and the worker; the last one out frees it, so a
// worker stuck on a silent server can be left behind safely.
struct LookupJob {
  LONG refs = 2;
  HANDLE done = nullptr;
  DiscToc toc;
  CddbHello hello;
  CddbServerUrl url;
  DWORD timeoutMs = 0;
  std::wstring agent;
  CddbHttpCall http;
  CddbLookupResult result;
};

void ReleaseJob(LookupJob* job) {
  if (InterlockedDecrement(&job->refs) == 0) {
    CloseHandle(job->done);
    delete job;
  }
}

DWORD WINAPI LookupThread(void* param) {
  auto* job = static_cast<LookupJob*>(param);
  try {
    job->result =
        CddbLookup(job->toc, job->hello, [job](const std::string& req, std::string& body, std::wstring& err) {
          return job->http.Get(job->url, req, job->agent, job->timeoutMs, body, err);
        });
  } catch (const std::bad_alloc&) {
    job->result = CddbLookupResult();
    job->result.error = L"Out of memory during the CDDB lookup.";
  }
  SetEvent(job->done);
  ReleaseJob(job);
  return 0;
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

class CddbClientWin : public CddbClient {
 public:
  CddbClientWin(CdReader& reader, const CddbOptions& options) : reader_(reader), options_(options) {
    if (options_.serverUrl.empty()) options_.serverUrl = kCddbDefaultServer;
  }
  ~CddbClientWin() override { Abandon(); }

  void SetClientName(const std::wstring& name) override { clientName_ = name; }
  void SetEmail(const std::wstring& email) override { email_ = email; }

  void SetConnection(const std::wstring& state) override {
    if (EqualsNoCase(state, L"Open"))
      Open();
    else if (EqualsNoCase(state, L"Close"))
      Close();
  }

  std::wstring DiscTitle() override {
    if (!job_ && !finished_) Open();
    Finish();
    return result_.ok ? result_.entry.discTitle : std::wstring();
  }

  // Counted in the reader's listed tracks, which the titles are mapped to.
  int16_t CddbTrackCount() override {
    Finish();
    if (!result_.ok) return 0;
    int16_t n = 0;
    while (RecordTitle(n + 1) != nullptr) ++n;
    return n;
  }

  std::wstring TrackTitle(int16_t& track) override {
    Finish();
    const std::wstring* title = result_.ok ? RecordTitle(track) : nullptr;
    return title ? *title : std::wstring();
  }

  std::wstring LastError() override { return lastError_; }

  bool Entry(CddbEntry& entry) {
    Finish();
    if (!result_.ok) return false;
    entry = result_.entry;
    return true;
  }

 private:
  const std::wstring* RecordTitle(int listed) const {
    const int t = CddbRecordTrack(toc_, listed);
    const auto& titles = result_.entry.trackTitles;
    return t >= 1 && static_cast<size_t>(t) <= titles.size() ? &titles[static_cast<size_t>(t) - 1] : nullptr;
  }

  void Fail(const std::wstring& why) {
    result_ = CddbLookupResult();
    result_.error = why;
    lastError_ = why;
    finished_ = true;
  }

  CddbHello Hello() const {
    CddbHello h;
    const size_t at = email_.find(L'@');
    if (at != std::wstring::npos && at > 0 && at + 1 < email_.size()) {
      h.user = CddbToUtf8(email_.substr(0, at));
      h.host = CddbToUtf8(email_.substr(at + 1));
    } else {
      wchar_t buf[256];
      DWORD n = 256;
      if (GetUserNameW(buf, &n)) h.user = CddbToUtf8(buf);
      n = 256;
      if (GetComputerNameW(buf, &n)) h.host = CddbToUtf8(buf);
    }
    h.client = CddbToUtf8(clientName_);
    h.version = WQ_VERSION_STRING;
    return h;
  }

  void Open() {
    if (waiting_) return;  // a nested call from inside the wait
    Abandon();
    result_ = CddbLookupResult();
    lastError_.clear();
    finished_ = false;
    toc_ = DiscToc{};
    DiscToc toc;
    if (!reader_.SelectedToc(toc)) {
      Fail(L"There is no readable audio disc in the selected drive.");
      return;
    }
    CddbServerUrl url;
    std::wstring urlError;
    if (!CddbParseServerUrl(options_.serverUrl, url, urlError)) {
      Fail(L"Invalid CDDB server address \"" + options_.serverUrl + L"\": " + urlError + L".");
      return;
    }
    auto* job = new (std::nothrow) LookupJob;
    if (!job) {
      Fail(L"Out of memory.");
      return;
    }
    job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    job->toc = toc;
    toc_ = toc;
    job->hello = Hello();
    job->url = url;
    job->timeoutMs = options_.timeoutMs;
    job->agent = (clientName_.empty() ? std::wstring(L"trackforge") : clientName_) + L"/" +
                 CDDB_WIDEN(WQ_VERSION_STRING);
    HANDLE thread = job->done ? CreateThread(nullptr, 0, LookupThread, job, 0, nullptr) : nullptr;
    if (!thread) {
      if (job->done) CloseHandle(job->done);
      delete job;
      Fail(L"The CDDB lookup could not be started.");
      return;
    }
    CloseHandle(thread);
    job_ = job;
    started_ = GetTickCount64();
  }

  void Close() {
    if (waiting_) return;
    if (job_) {
      Abandon();
      Fail(L"The CDDB lookup was closed before it finished.");
    }
  }

  // Stops waiting for a running job; the worker frees it when it ends.
  void Abandon() {
    if (!job_) return;
    job_->http.Abort();
    ReleaseJob(job_);
    job_ = nullptr;
  }

  // Waits for the running job, dispatching messages, until it ends or the
  // time-out counted from "Open" runs out.
  void Finish() {
    if (!job_ || waiting_) return;
    waiting_ = true;
    const ULONGLONG deadline = started_ + options_.timeoutMs;
    bool done = false;
    bool quit = false;
    WPARAM quitCode = 0;
    while (!quit) {
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) break;
      const DWORD r = MsgWaitForMultipleObjectsEx(1, &job_->done, static_cast<DWORD>(deadline - now),
                                                  QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (r == WAIT_OBJECT_0) {
        done = true;
        break;
      }
      if (r != WAIT_OBJECT_0 + 1) {
        if (r == WAIT_FAILED) break;
        continue;  // time-out: the deadline test ends the loop
      }
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          quit = true;
          quitCode = msg.wParam;
          break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    waiting_ = false;
    if (done) {
      result_ = job_->result;
      lastError_ = result_.ok ? std::wstring() : result_.error;
      finished_ = true;
      ReleaseJob(job_);
      job_ = nullptr;
      return;
    }
    Abandon();
    if (quit) {
      PostQuitMessage(static_cast<int>(quitCode));  // the program's own loop must still see it
      Fail(L"The CDDB lookup was stopped because the program is closing.");
    } else {
      Fail(L"The CDDB server did not answer within " + std::to_wstring((options_.timeoutMs + 999) / 1000) +
           L" seconds.");
    }
  }

  CdReader& reader_;
  CddbOptions options_;
  DiscToc toc_;  // of the last lookup: maps the listed tracks to the record's
  std::wstring clientName_;
  std::wstring email_;
  LookupJob* job_ = nullptr;
  ULONGLONG started_ = 0;
  bool waiting_ = false;
  bool finished_ = false;
  CddbLookupResult result_;
  std::wstring lastError_;
};

}  // namespace

std::unique_ptr<CddbClient> CreateCddbClient(CdReader& reader, const CddbOptions& options) {
  return std::make_unique<CddbClientWin>(reader, options);
}

std::unique_ptr<CddbClient> CreateCddbClient(CdReader& reader, const std::wstring& serverUrl) {
  CddbOptions o;
  o.serverUrl = serverUrl;
  return CreateCddbClient(reader, o);
}

bool CddbLastEntry(CddbClient& client, CddbEntry& entry) {
  auto* ours = dynamic_cast<CddbClientWin*>(&client);
  return ours && ours->Entry(entry);
}
