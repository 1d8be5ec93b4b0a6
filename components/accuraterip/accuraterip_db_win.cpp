// The AccurateRip database client: one HTTP GET of the disc's answer file on
// a worker thread. A watchdog thread bounds the lookup by our own clock
// (WinHTTP's own time-outs are not reliable under Wine), and whichever of
// worker, watchdog and AbortLookup ends the lookup first decides its result;
// LookupDone then reaches the UI thread through UiPost.
#include <windows.h>

#include <memory>
#include <new>

#include "components/accuraterip/accuraterip.h"
#include "components/accuraterip/ar_answer.h"
#include "components/accuraterip/ar_discid.h"
#include "components/cddb/cddb_http.h"
#include "components/cddb/cddb_url.h"
#include "ripper/engine/ui_dispatch.h"
#include "wq_version.h"

#define AR_WIDEN2(x) L##x
#define AR_WIDEN(x) AR_WIDEN2(x)

namespace {

constexpr DWORD kLookupBoundMs = 10000;

// What the UI side keeps; posted completions reach it only while it lives.
struct ArState {
  AccurateRipEvents* sink = nullptr;
  ArLookupResult result;
  uint64_t job = 0;  // the lookup whose completion is awaited; 0: none
};

struct ArJob {
  uint64_t id = 0;
  std::weak_ptr<ArState> state;
  CddbServerUrl url;
  std::wstring object;
  std::wstring agent;
  ArDiscIds ids;
  std::wstring discName;
  CddbHttpCall http;
  HANDLE done = nullptr;  // set when the worker has finished
  LONG settled = 0;

  ~ArJob() {
    if (done) CloseHandle(done);
  }
};

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The first caller wins (true); later ones are ignored. Delivers on the UI
// thread.
bool Settle(const std::shared_ptr<ArJob>& job, ArLookupResult r) {
  if (InterlockedCompareExchange(&job->settled, 1, 0) != 0) return false;
  r.discName = job->discName;
  std::weak_ptr<ArState> weak = job->state;
  const uint64_t id = job->id;
  UiPost([weak, id, r]() {
    auto state = weak.lock();
    if (!state || state->job != id) return;
    state->job = 0;
    state->result = r;
    if (state->sink) state->sink->LookupDone();
  });
  return true;
}

ArLookupResult Failed(const std::wstring& why) {
  ArLookupResult r;
  r.status = ArLookupStatus::Failed;
  r.error = why;
  return r;
}

DWORD WINAPI WorkerThread(void* param) {
  std::unique_ptr<std::shared_ptr<ArJob>> hold(static_cast<std::shared_ptr<ArJob>*>(param));
  const std::shared_ptr<ArJob>& job = *hold;
  ArLookupResult r;
  try {
    std::string body;
    DWORD status = 0;
    std::wstring error;
    if (!job->http.Fetch(job->url, job->object, job->agent, kLookupBoundMs, L"AccurateRip", body, status, error)) {
      r = Failed(error);
    } else if (status == 404) {
      r.status = ArLookupStatus::NotFound;
    } else if (status != 200) {
      r = Failed(L"The AccurateRip server " + job->url.host + L" answered with HTTP status " +
                 std::to_wstring(status) + L".");
    } else {
      std::wstring why;
      if (ArParseAnswer(reinterpret_cast<const uint8_t*>(body.data()), body.size(), job->ids, r.chunks, why))
        r.status = ArLookupStatus::Found;
      else
        r = Failed(why);
    }
  } catch (const std::bad_alloc&) {
    r = Failed(L"Out of memory during the AccurateRip lookup.");
  }
  Settle(job, r);
  SetEvent(job->done);
  return 0;
}

DWORD WINAPI WatchdogThread(void* param) {
  std::unique_ptr<std::shared_ptr<ArJob>> hold(static_cast<std::shared_ptr<ArJob>*>(param));
  const std::shared_ptr<ArJob>& job = *hold;
  if (WaitForSingleObject(job->done, kLookupBoundMs) != WAIT_OBJECT_0) {
    Settle(job, Failed(L"The AccurateRip server " + job->url.host + L" did not answer within " +
                       std::to_wstring(kLookupBoundMs / 1000) + L" seconds."));
    job->http.Abort();
  }
  return 0;
}

bool StartThread(LPTHREAD_START_ROUTINE fn, const std::shared_ptr<ArJob>& job) {
  auto* ref = new (std::nothrow) std::shared_ptr<ArJob>(job);
  if (!ref) return false;
  HANDLE t = CreateThread(nullptr, 0, fn, ref, 0, nullptr);
  if (!t) {
    delete ref;
    return false;
  }
  CloseHandle(t);
  return true;
}

class ArDbWin : public AccurateRipDb {
 public:
  ArDbWin() : state_(std::make_shared<ArState>()) {}
  ~ArDbWin() override { AbortLookup(); }

  void SetEvents(AccurateRipEvents* sink) override { state_->sink = sink; }
  void SetServer(const std::wstring& url) override { server_ = url.empty() ? kArDefaultServer : url; }

  int16_t BeginLookup(const DiscToc& toc) override {
    if (job_ && state_->job == job_->id) return Refuse(L"An AccurateRip lookup is already running.");
    job_.reset();
    ArDiscIds ids;
    std::string why;
    if (!ArComputeDiscIds(toc, ids, why))
      return Refuse(L"The disc cannot be looked up in AccurateRip: " + Widen(why) + L".");
    CddbServerUrl url;
    std::wstring urlError;
    if (!CddbParseServerUrl(server_, url, urlError)) {
      // The parser speaks of the CDDB server it was written for.
      const std::wstring cddb = L"CDDB server";
      const size_t at = urlError.find(cddb);
      if (at != std::wstring::npos) urlError.replace(at, cddb.size(), L"AccurateRip server");
      return Refuse(L"Invalid AccurateRip server address \"" + server_ + L"\": " + urlError + L".");
    }
    auto job = std::make_shared<ArJob>();
    job->id = ++lastId_;
    job->state = state_;
    job->url = url;
    job->object = ArAnswerObject(server_, ids);
    job->agent = L"wavequill/" AR_WIDEN(WQ_VERSION_STRING);
    job->ids = ids;
    job->discName = Widen(ArDiscName(ids));
    job->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state_->result = ArLookupResult();
    state_->job = job->id;
    if (!job->done || !StartThread(WorkerThread, job)) {
      state_->job = 0;
      return Refuse(L"The AccurateRip lookup could not be started.");
    }
    if (!StartThread(WatchdogThread, job)) {
      // Without its bound the lookup may not run.
      job->http.Abort();
      InterlockedExchange(&job->settled, 1);
      state_->job = 0;
      return Refuse(L"The AccurateRip lookup could not be started.");
    }
    job_ = job;
    return 0;
  }

  void AbortLookup() override {
    if (!job_) return;
    auto job = std::move(job_);
    if (state_->job != job->id) return;  // already delivered
    ArLookupResult r;
    r.status = ArLookupStatus::Aborted;
    r.error = L"The AccurateRip lookup was stopped.";
    const bool won = Settle(job, r);
    job->http.Abort();
    if (!won) return;  // an outcome is already on its way to this thread
    // Result() says so at once; LookupDone follows through the queue.
    state_->result = r;
    state_->result.discName = job->discName;
  }

  ArLookupResult Result() override { return state_->result; }

 private:
  int16_t Refuse(const std::wstring& why) {
    state_->result = Failed(why);
    return 1;
  }

  std::shared_ptr<ArState> state_;
  std::shared_ptr<ArJob> job_;
  std::wstring server_ = kArDefaultServer;
  uint64_t lastId_ = 0;
};

}  // namespace

std::unique_ptr<AccurateRipDb> CreateAccurateRipDb() { return std::make_unique<ArDbWin>(); }
