// The AccurateRip client over real HTTP against tools/arserver, started by
// run_with_server.sh with an answer file whose checksums whipper computed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "components/accuraterip/accuraterip.h"
#include "ripper/engine/ui_dispatch.h"
#include "tests/win/common/test_process.h"

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buf[1024];
  const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return n > 0 && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

DiscToc Toc(std::vector<uint32_t> starts, uint32_t leadOut) {
  DiscToc t;
  t.trackStartLba = std::move(starts);
  t.leadOutLba = leadOut;
  return t;
}

const DiscToc kServedDisc = Toc({0, 500, 1300}, 1900);  // run_with_server.sh's WAVs
const DiscToc kUnknownDisc = Toc({0, 700}, 2000);

struct Sink : AccurateRipEvents {
  int done = 0;
  void LookupDone() override { ++done; }
};

class ArClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env(L"WQ_AR_TEST_URL").empty()) << "run through run_with_server.sh";
    ASSERT_TRUE(UiDispatchInit());
    db = CreateAccurateRipDb();
    db->SetEvents(&sink);
  }
  void TearDown() override {
    db.reset();
    UiDispatchShutdown();
  }

  void Server(const std::wstring& mode) { db->SetServer(Env(L"WQ_AR_TEST_URL") + L"/" + mode + L"/accuraterip"); }

  // Starts a lookup and waits for its one LookupDone.
  ArLookupResult Lookup(const DiscToc& toc, DWORD ms = 20000) {
    const int before = sink.done;
    EXPECT_EQ(db->BeginLookup(toc), 0) << std::string(db->Result().error.begin(), db->Result().error.end());
    EXPECT_TRUE(PumpUntil([&] { return sink.done > before; }, ms)) << "no LookupDone";
    PumpFor(200);  // a second event would show here
    EXPECT_EQ(sink.done, before + 1);
    return db->Result();
  }

  Sink sink;
  std::unique_ptr<AccurateRipDb> db;
};

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(v));
  return buf;
}

TEST_F(ArClientTest, FindsTheDiscAndReadsEveryChunk) {
  Server(L"ok");
  const ArLookupResult r = Lookup(kServedDisc);
  ASSERT_EQ(r.status, ArLookupStatus::Found) << Narrow(r.error);
  EXPECT_EQ(r.discName, Env(L"WQ_AR_TEST_NAME"));
  ASSERT_EQ(r.chunks.size(), 2u);
  ASSERT_EQ(r.chunks[0].tracks.size(), 3u);
  std::string v2;
  for (const ArEntry& e : r.chunks[0].tracks) {
    EXPECT_EQ(e.confidence, 12);
    v2 += (v2.empty() ? "" : ",") + Hex(e.checksum);
  }
  EXPECT_EQ(v2, Narrow(Env(L"WQ_AR_TEST_V2")));
  EXPECT_EQ(r.chunks[1].tracks[2].confidence, 3);
  EXPECT_NE(r.chunks[1].tracks[2].checksum, r.chunks[0].tracks[2].checksum);  // v1 against v2
  EXPECT_NE(r.chunks[0].tracks[0].frame450, 0u);
  // The client is ready for the next disc, which is not there.
  EXPECT_EQ(Lookup(kUnknownDisc).status, ArLookupStatus::NotFound);
}

TEST_F(ArClientTest, Http404IsNotFoundNotAFailure) {
  Server(L"notfound");
  const ArLookupResult r = Lookup(kServedDisc);
  EXPECT_EQ(r.status, ArLookupStatus::NotFound) << Narrow(r.error);
  EXPECT_TRUE(r.chunks.empty());
}

TEST_F(ArClientTest, GarbledAndCutAnswersFailWithOneLine) {
  for (const wchar_t* mode : {L"garbage", L"truncated"}) {
    SCOPED_TRACE(Narrow(mode));
    Server(mode);
    const ArLookupResult r = Lookup(kServedDisc);
    EXPECT_EQ(r.status, ArLookupStatus::Failed);
    EXPECT_TRUE(r.chunks.empty());
    EXPECT_NE(r.error.find(L"AccurateRip"), std::wstring::npos) << Narrow(r.error);
    EXPECT_EQ(r.error.find(L'\n'), std::wstring::npos);
  }
}

TEST_F(ArClientTest, AHungServerIsGivenUpWithinTheBound) {
  Server(L"hang");
  const ULONGLONG start = GetTickCount64();
  const ArLookupResult r = Lookup(kServedDisc, 25000);
  EXPECT_LT(GetTickCount64() - start, 20000u);
  EXPECT_EQ(r.status, ArLookupStatus::Failed);
  EXPECT_NE(r.error.find(L"10 seconds"), std::wstring::npos) << Narrow(r.error);
}

TEST_F(ArClientTest, AbortEndsAHungLookupAtOnce) {
  Server(L"hang");
  const ULONGLONG start = GetTickCount64();
  ASSERT_EQ(db->BeginLookup(kServedDisc), 0);
  PumpFor(500);
  EXPECT_EQ(sink.done, 0);
  db->AbortLookup();
  EXPECT_EQ(db->Result().status, ArLookupStatus::Aborted);
  EXPECT_TRUE(PumpUntil([&] { return sink.done == 1; }, 2000)) << "no LookupDone after the abort";
  // A new lookup works, and the aborted one's bound passing later brings
  // no stray event or result.
  Server(L"ok");
  EXPECT_EQ(Lookup(kServedDisc).status, ArLookupStatus::Found);
  const ULONGLONG elapsed = GetTickCount64() - start;
  if (elapsed < 11500) PumpFor(static_cast<DWORD>(11500 - elapsed));
  EXPECT_EQ(sink.done, 2);
  EXPECT_EQ(db->Result().status, ArLookupStatus::Found);
}

TEST_F(ArClientTest, UnusableRequestsAreRefusedWithoutAnEvent) {
  db->SetServer(L"ftp://127.0.0.1/accuraterip");
  EXPECT_NE(db->BeginLookup(kServedDisc), 0);
  EXPECT_EQ(db->Result().status, ArLookupStatus::Failed);
  EXPECT_NE(db->Result().error.find(L"AccurateRip server"), std::wstring::npos) << Narrow(db->Result().error);
  Server(L"ok");
  EXPECT_NE(db->BeginLookup(DiscToc{}), 0);
  EXPECT_FALSE(db->Result().error.empty());
  PumpFor(300);
  EXPECT_EQ(sink.done, 0);
}

}  // namespace
