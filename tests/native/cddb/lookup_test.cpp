#include <gtest/gtest.h>

#include <map>

#include "components/cddb/cddb_lookup.h"

namespace {

const CddbHello kHello{"joe", "example.org", "trackforge", "1.0.0"};

DiscToc TwoTracks() {
  DiscToc t;
  t.trackStartLba = {0, 15000};
  t.leadOutLba = 30000;
  return t;
}

// Answers by command, remembering every request it was given.
struct FakeServer {
  std::map<std::string, std::string> answers;  // command prefix -> body
  std::vector<std::string> requests;
  bool down = false;

  CddbTransport Transport() {
    return [this](const std::string& req, std::string& body, std::wstring& err) {
      requests.push_back(req);
      if (down) {
        err = L"no connection";
        return false;
      }
      for (auto& [prefix, answer] : answers)
        if (req.rfind("cmd=" + prefix, 0) == 0) {
          body = answer;
          return true;
        }
      body = "500 Unrecognized command.\r\n";
      return true;
    };
  }
};

const char kRecord[] =
    "210 rock 06019002 CD database entry follows (until terminating `.')\r\n"
    "DTITLE=Artist / Album\r\nDYEAR=2001\r\nDGENRE=Rock\r\nTTITLE0=One\r\nTTITLE1=Two\r\n.\r\n";

TEST(CddbLookup, RequestsCarryHelloProtoAndToc) {
  const std::string q = CddbRequest("cddb query 06019002 2 150 15150 402", kHello);
  EXPECT_EQ(q, "cmd=cddb+query+06019002+2+150+15150+402&hello=joe+example.org+trackforge+1.0.0&proto=6");
  // Blanks in a hello field would shift the other fields.
  const std::string h = CddbRequest("x", CddbHello{"Joe Bloggs", "", "my client", "1 0"});
  EXPECT_EQ(h, "cmd=x&hello=Joe_Bloggs+unknown+my_client+1_0&proto=6");
}

TEST(CddbLookup, ExactMatchThenRead) {
  FakeServer s;
  s.answers["cddb+query"] = "200 rock 06019002 Artist / Album\r\n";
  s.answers["cddb+read+rock+06019002"] = kRecord;
  const auto r = CddbLookup(TwoTracks(), kHello, s.Transport());
  ASSERT_TRUE(r.ok) << std::string(r.error.begin(), r.error.end());
  EXPECT_EQ(r.queryCode, 200);
  EXPECT_EQ(r.entry.category, "rock");
  EXPECT_EQ(r.entry.discTitle, L"Artist / Album");
  EXPECT_EQ(r.entry.year, L"2001");
  ASSERT_EQ(r.entry.trackTitles.size(), 2u);
  EXPECT_EQ(r.entry.trackTitles[1], L"Two");
  ASSERT_EQ(s.requests.size(), 2u);
  EXPECT_EQ(s.requests[0].substr(0, 40), "cmd=cddb+query+06019002+2+150+15150+402&");
}

TEST(CddbLookup, SeveralMatchesTakeTheFirst) {
  for (const char* code : {"210", "211"}) {
    FakeServer s;
    s.answers["cddb+query"] =
        std::string(code) +
        " list follows\r\njazz 06019002 First / One\r\nrock 06019002 Second / Two\r\n.\r\n";
    s.answers["cddb+read+jazz+06019002"] = kRecord;
    const auto r = CddbLookup(TwoTracks(), kHello, s.Transport());
    ASSERT_TRUE(r.ok) << code;
    EXPECT_EQ(r.matchCount, 2u);
    EXPECT_EQ(r.entry.category, "jazz");
  }
}

TEST(CddbLookup, FailuresNameTheirCause) {
  FakeServer s;
  s.answers["cddb+query"] = "202 No match for disc ID 06019002.\r\n";
  auto r = CddbLookup(TwoTracks(), kHello, s.Transport());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(L"not found"), std::wstring::npos);
  EXPECT_EQ(s.requests.size(), 1u);

  s.answers["cddb+query"] = "200 rock 06019002 Artist / Album\r\n";
  r = CddbLookup(TwoTracks(), kHello, s.Transport());  // read falls to "500 Unrecognized"
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(L"500"), std::wstring::npos);

  s.answers["cddb+read"] = "210 rock 06019002 follows\r\nDTITLE=cut";
  r = CddbLookup(TwoTracks(), kHello, s.Transport());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(L"cut short"), std::wstring::npos);

  s.answers["cddb+query"] = "\x89PNG garbage";
  r = CddbLookup(TwoTracks(), kHello, s.Transport());
  EXPECT_FALSE(r.ok);

  s.down = true;
  r = CddbLookup(TwoTracks(), kHello, s.Transport());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, L"no connection");

  s.requests.clear();
  r = CddbLookup(DiscToc{}, kHello, s.Transport());
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(s.requests.empty());  // no request for a disc without tracks
}

TEST(CddbLookup, EmptyDiscTitleFallsBackToTheMatchLine) {
  FakeServer s;
  s.answers["cddb+query"] = "200 rock 06019002 Artist / Album\r\n";
  s.answers["cddb+read"] = "210 rock 06019002 follows\r\nTTITLE0=One\r\n.\r\n";
  const auto r = CddbLookup(TwoTracks(), kHello, s.Transport());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.entry.discTitle, L"Artist / Album");
  EXPECT_EQ(r.entry.artist, L"Artist");
}

}  // namespace
