// The CDDB client over real HTTP against tests/bed/cddb_server.py, whose
// address run_with_server.sh passes in WQ_CDDB_TEST_URL.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "components/cddb/cddb.h"
#include "tests/common/idle_reader.h"
#include "wq_version.h"

#define CDDB_W2(x) L##x
#define CDDB_W(x) CDDB_W2(x)

namespace {

// Only the TOC matters to the CDDB client.
class TocReader : public IdleReader {
 public:
  bool hasDisc = true;
  DiscToc toc;
  int16_t TrackCount() override { return static_cast<int16_t>(toc.trackStartLba.size()); }
  bool SelectedToc(DiscToc& out) override {
    if (hasDisc) out = toc;
    return hasDisc;
  }
};

DiscToc Toc(std::vector<uint32_t> starts, uint32_t leadOut) {
  DiscToc t;
  t.trackStartLba = std::move(starts);
  t.leadOutLba = leadOut;
  return t;
}

const DiscToc kRockDisc = Toc({0, 15000, 30000, 52000}, 80000);  // records/rock/20042a04
const DiscToc kSameIdDisc = Toc({0, 20000}, 40000);              // blues and jazz share 12021502
const DiscToc kNearFolkDisc = Toc({0, 10000, 20000}, 30150);     // close to records/folk/1b019003
const DiscToc kLatin1Disc = Toc({0, 33000}, 66000);              // records/classical/0c037002
const DiscToc kBedImage = Toc({0, 9000, 20260}, 31500);          // the CUE sheet of run_with_server.sh
const DiscToc kUnknownDisc = Toc({0, 1234, 5678}, 9999);

std::wstring ServerBase() {
  wchar_t buf[512];
  const DWORD n = GetEnvironmentVariableW(L"WQ_CDDB_TEST_URL", buf, 512);
  return n > 0 && n < 512 ? std::wstring(buf, n) : std::wstring();
}

class CddbClientTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(ServerBase().empty()) << "run through run_with_server.sh"; }

  std::unique_ptr<CddbClient> Client(const std::wstring& mode, uint32_t timeoutMs = 15000) {
    CddbOptions o;
    o.serverUrl = ServerBase() + (mode.empty() ? L"" : L"/" + mode) + L"/~cddb/cddb.cgi";
    o.timeoutMs = timeoutMs;
    auto c = CreateCddbClient(reader, o);
    c->SetClientName(L"trackforge");
    c->SetEmail(L"joe@example.org");
    return c;
  }

  // Opens, looks up, closes; the title (empty on failure).
  std::wstring Lookup(CddbClient& c) {
    c.SetConnection(L"Open");
    std::wstring t = c.DiscTitle();
    c.SetConnection(L"Close");
    return t;
  }

  std::wstring Title(CddbClient& c, int16_t n) { return c.TrackTitle(n); }

  TocReader reader;
};

TEST_F(CddbClientTest, ExactMatchKeepsEveryCharacter) {
  reader.toc = kRockDisc;
  auto c = Client(L"");
  const std::wstring album = L"\u65E5\u672C\u306E\u6B4C \u2013 Live";
  EXPECT_EQ(Lookup(*c),
            L"Bj\u00F6rk Gu\u00F0mundsd\u00F3ttir & the Long Name Orchestra of the Far North / " + album);
  EXPECT_EQ(c->LastError(), L"");
  // Titles are still answered after "Close".
  ASSERT_EQ(c->CddbTrackCount(), 4);
  EXPECT_EQ(Title(*c, 1), L"Caf\u00E9 \u00E0 l'aube");
  EXPECT_EQ(Title(*c, 2), L"A title continued over two lines");
  EXPECT_EQ(Title(*c, 3), L"Tab\there and\nnewline, back\\slash");
  EXPECT_EQ(Title(*c, 4), L"\U0001F3B5 Music Note");
  EXPECT_EQ(Title(*c, 0), L"");
  EXPECT_EQ(Title(*c, 5), L"");
  EXPECT_EQ(Title(*c, -1), L"");

  CddbEntry e;
  ASSERT_TRUE(CddbLastEntry(*c, e));
  EXPECT_EQ(e.album, album);
  EXPECT_EQ(e.artist.substr(0, 5), L"Bj\u00F6rk");
  EXPECT_EQ(e.year, L"1997");
  EXPECT_EQ(e.genre, L"Art Pop");
  EXPECT_EQ(e.category, "rock");
  EXPECT_EQ(e.discId, "20042a04");
}

// A data track first: it counts in the disc ID and owns the record's first
// title, so the reader's track 1 gets the second.
TEST_F(CddbClientTest, MixedModeTitlesFollowTheTrackNumbers) {
  reader.toc = Toc({0, 4500, 13500, 22500}, 30000);  // the mixed CUE sheet of run_with_server.sh
  reader.toc.listedTracks = {2, 3, 4};
  auto c = Client(L"");
  EXPECT_EQ(Lookup(*c), L"Test Bed Artist / mixed");
  ASSERT_EQ(c->CddbTrackCount(), 3);
  EXPECT_EQ(Title(*c, 1), L"Track 02 of mixed");
  EXPECT_EQ(Title(*c, 3), L"Track 04 of mixed");
  EXPECT_EQ(Title(*c, 4), L"");
}

TEST_F(CddbClientTest, SeveralMatchesTakeTheFirst) {
  reader.toc = kSameIdDisc;
  auto c = Client(L"");
  EXPECT_EQ(Lookup(*c), L"Second Blues / Same ID");  // blues is listed before jazz
  EXPECT_EQ(Title(*c, 2), L"Blues Two");

  reader.toc = kRockDisc;
  auto forced = Client(L"force210");
  EXPECT_EQ(Lookup(*forced).substr(0, 5), L"Bj\u00F6rk");  // not the decoy listed second

  reader.toc = kNearFolkDisc;
  auto nearby = Client(L"");
  EXPECT_EQ(Lookup(*nearby), L"Folk Near / Close Enough");
  EXPECT_EQ(nearby->CddbTrackCount(), 3);
  auto inexact = Client(L"force211");
  reader.toc = kRockDisc;
  EXPECT_EQ(Lookup(*inexact).substr(0, 5), L"Bj\u00F6rk");
}

TEST_F(CddbClientTest, HelloCarriesClientNameEmailAndProto6) {
  reader.toc = kRockDisc;
  auto c = Client(L"echo");
  // DiscTitle alone also opens the lookup.
  EXPECT_EQ(c->DiscTitle(), L"joe example.org trackforge " CDDB_W(WQ_VERSION_STRING) L" / proto 6");
  EXPECT_EQ(Title(*c, 1), L"cddb read misc 20042a04");

  c->SetClientName(L"my client");
  c->SetEmail(L"");
  const std::wstring t = Lookup(*c);
  // user and host fall back to the account and computer names: four fields.
  const std::wstring hello = t.substr(0, t.find(L" / "));
  EXPECT_EQ(std::count(hello.begin(), hello.end(), L' '), 3) << hello;
  EXPECT_NE(hello.find(L" my_client "), std::wstring::npos) << hello;
}

TEST_F(CddbClientTest, GeneratedDiscImageRecord) {
  reader.toc = kBedImage;
  auto c = Client(L"");
  EXPECT_EQ(Lookup(*c), L"Test Bed Artist / bedimage");
  ASSERT_EQ(c->CddbTrackCount(), 3);
  EXPECT_EQ(Title(*c, 3), L"Track 03 of bedimage");
}

TEST_F(CddbClientTest, Latin1RecordFromAnOldServer) {
  reader.toc = kLatin1Disc;
  auto c = Client(L"latin1");
  EXPECT_EQ(Lookup(*c), L"Orchestre / Symphonie n\u00B0 5");
  EXPECT_EQ(Title(*c, 1), L"All\u00E9gro");
}

TEST_F(CddbClientTest, FailuresAreReportedNotTitles) {
  struct Case {
    const wchar_t* mode;
    const DiscToc* toc;
    const wchar_t* says;
  } cases[] = {
      {L"", &kUnknownDisc, L"not found"},
      {L"force202", &kRockDisc, L"not found"},
      {L"cddb403", &kRockDisc, L"403"},
      {L"cddb500", &kRockDisc, L"500"},
      {L"http500", &kRockDisc, L"HTTP status 500"},
      {L"http404", &kRockDisc, L"HTTP status 404"},
      {L"readfail", &kRockDisc, L"401"},
      {L"garbage", &kRockDisc, L"cannot be read"},
      {L"truncated", &kRockDisc, L"cut short"},
      {L"oversize", &kRockDisc, L"1 MiB"},
      {L"close", &kRockDisc, L""},
  };
  for (const Case& k : cases) {
    reader.toc = *k.toc;
    auto c = Client(k.mode);
    EXPECT_EQ(Lookup(*c), L"") << k.mode;
    EXPECT_EQ(c->CddbTrackCount(), 0) << k.mode;
    EXPECT_EQ(Title(*c, 1), L"") << k.mode;
    const std::wstring err = c->LastError();
    EXPECT_FALSE(err.empty()) << k.mode;
    EXPECT_NE(err.find(k.says), std::wstring::npos) << k.mode << ": " << std::string(err.begin(), err.end());
    CddbEntry e;
    EXPECT_FALSE(CddbLastEntry(*c, e));
  }
}

TEST_F(CddbClientTest, NoDiscNoServerBadAddress) {
  reader.toc = kRockDisc;
  reader.hasDisc = false;
  auto c = Client(L"");
  EXPECT_EQ(Lookup(*c), L"");
  EXPECT_NE(c->LastError().find(L"no readable audio disc"), std::wstring::npos);
  reader.hasDisc = true;

  CddbOptions o;
  o.serverUrl = L"http://127.0.0.1:9/~cddb/cddb.cgi";  // nothing listens on discard
  auto none = CreateCddbClient(reader, o);
  EXPECT_EQ(Lookup(*none), L"");
  EXPECT_FALSE(none->LastError().empty());

  auto bad = CreateCddbClient(reader, L"gnudb.gnudb.org/~cddb/cddb.cgi");
  EXPECT_EQ(Lookup(*bad), L"");
  EXPECT_NE(bad->LastError().find(L"Invalid CDDB server address"), std::wstring::npos);
}

TEST_F(CddbClientTest, ANewLookupReplacesTheOld) {
  reader.toc = kRockDisc;
  auto c = Client(L"");
  EXPECT_FALSE(Lookup(*c).empty());
  reader.toc = kUnknownDisc;
  EXPECT_EQ(Lookup(*c), L"");
  EXPECT_EQ(Title(*c, 1), L"");  // nothing left over from the earlier disc
  reader.toc = kSameIdDisc;
  EXPECT_EQ(Lookup(*c), L"Second Blues / Same ID");
  EXPECT_EQ(c->LastError(), L"");
}

// Counts timer ticks, to show that the UI thread keeps dispatching.
int g_ticks = 0;
LRESULT CALLBACK TickProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_TIMER) ++g_ticks;
  return DefWindowProcW(h, m, w, l);
}

class CddbWaitTest : public CddbClientTest {
 protected:
  void SetUp() override {
    CddbClientTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = TickProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CddbTickWindow";
    RegisterClassW(&wc);
    window =
        CreateWindowW(L"CddbTickWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetTimer(window, 1, 50, nullptr);
    g_ticks = 0;
  }
  void TearDown() override {
    KillTimer(window, 1);
    DestroyWindow(window);
  }
  HWND window = nullptr;
};

TEST_F(CddbWaitTest, SilentServerIsCutOffByTheTimeOut) {
  reader.toc = kRockDisc;
  auto c = Client(L"hang", 1500);
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(Lookup(*c), L"");
  const ULONGLONG took = GetTickCount64() - t0;
  EXPECT_GE(took, 1400u);
  EXPECT_LT(took, 5000u);
  EXPECT_NE(c->LastError().find(L"did not answer within 2 seconds"), std::wstring::npos);
  EXPECT_GE(g_ticks, 10);  // messages were dispatched while waiting
}

TEST_F(CddbWaitTest, SlowServerIsWaitedFor) {
  reader.toc = kRockDisc;
  auto c = Client(L"slow", 15000);
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(Lookup(*c).substr(0, 5), L"Bj\u00F6rk");
  EXPECT_GE(GetTickCount64() - t0, 1800u);  // the server waits 2 s
  EXPECT_GE(g_ticks, 10);
}

TEST_F(CddbWaitTest, QuitDuringTheWaitEndsItAndIsKept) {
  reader.toc = kRockDisc;
  auto c = Client(L"hang", 10000);
  c->SetConnection(L"Open");
  PostQuitMessage(7);
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(c->DiscTitle(), L"");
  EXPECT_LT(GetTickCount64() - t0, 3000u);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(CddbWaitTest, CloseOrDestroyWhileTheServerHangs) {
  reader.toc = kRockDisc;
  auto c = Client(L"hang", 10000);
  c->SetConnection(L"Open");
  c->SetConnection(L"Close");
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(c->DiscTitle(), L"");
  EXPECT_LT(GetTickCount64() - t0, 1000u);
  EXPECT_FALSE(c->LastError().empty());

  auto d = Client(L"hang", 10000);
  d->SetConnection(L"Open");
  d.reset();  // the stuck worker is left to finish on its own
  auto e = Client(L"");
  EXPECT_EQ(Lookup(*e).substr(0, 5), L"Bj\u00F6rk");
}

}  // namespace
