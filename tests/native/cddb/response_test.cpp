#include <gtest/gtest.h>

#include "components/cddb/cddb_response.h"

namespace {

TEST(CddbQueryResponse, ExactMatch) {
  const auto r = CddbParseQueryResponse("200 rock f00d0c10 Some Artist / Some Album\r\n");
  ASSERT_EQ(r.status, CddbQueryStatus::Exact);
  ASSERT_EQ(r.matches.size(), 1u);
  EXPECT_EQ(r.matches[0].category, "rock");
  EXPECT_EQ(r.matches[0].discId, "f00d0c10");
  EXPECT_EQ(r.matches[0].title, "Some Artist / Some Album");
}

TEST(CddbQueryResponse, ListsKeepOrderAndNeedTheTerminator) {
  const std::string list =
      "210 Found exact matches, list follows (until terminating `.')\r\n"
      "misc 0a0b0c0d First / One\r\n"
      "rock 0a0b0c0d Second / Two\r\n"
      ".\r\n";
  auto r = CddbParseQueryResponse(list);
  ASSERT_EQ(r.status, CddbQueryStatus::Multiple);
  ASSERT_EQ(r.matches.size(), 2u);
  EXPECT_EQ(r.matches[0].category, "misc");
  EXPECT_EQ(r.matches[1].title, "Second / Two");

  r = CddbParseQueryResponse(
      "211 Found inexact matches, list follows (until terminating `.')\nblues 12345678 X / Y\n.\n");
  ASSERT_EQ(r.status, CddbQueryStatus::Inexact);
  EXPECT_EQ(r.matches.at(0).category, "blues");

  // Cut short before the "." line: nothing is trusted.
  r = CddbParseQueryResponse(list.substr(0, list.size() - 3));
  EXPECT_EQ(r.status, CddbQueryStatus::Malformed);
  EXPECT_TRUE(r.matches.empty());

  // A list with no usable line is no match.
  r = CddbParseQueryResponse("211 list follows\r\nnot a match line\r\n.\r\n");
  EXPECT_EQ(r.status, CddbQueryStatus::NoMatch);
}

TEST(CddbQueryResponse, NoMatchAndErrors) {
  EXPECT_EQ(CddbParseQueryResponse("202 No match found\r\n").status, CddbQueryStatus::NoMatch);
  auto r = CddbParseQueryResponse("403 Database entry is corrupt\r\n");
  EXPECT_EQ(r.status, CddbQueryStatus::Refused);
  EXPECT_EQ(r.code, 403);
  EXPECT_EQ(r.message, "Database entry is corrupt");
  EXPECT_EQ(CddbParseQueryResponse("500 Command syntax error").status, CddbQueryStatus::Refused);
  EXPECT_EQ(CddbParseQueryResponse("409 No handshake").code, 409);
}

TEST(CddbQueryResponse, HostileOrBrokenAnswers) {
  for (const char* body :
       {"", "\r\n", "20", "2000 rock 12345678 x", "abc rock 12345678 x", "<html>oops</html>", "200 rock",
        "200 rock 1234567 short id", "200 ro/ck 12345678 path in category",
        "200 rock+x 12345678 plus in category", "299 something else", "100 informational"}) {
    const auto r = CddbParseQueryResponse(body);
    EXPECT_EQ(r.status, CddbQueryStatus::Malformed) << body;
    EXPECT_TRUE(r.matches.empty()) << body;
  }
  // A huge list is capped, not fatal.
  std::string big = "210 list follows\r\n";
  for (int i = 0; i < 5000; ++i) big += "misc 0a0b0c0d Title\r\n";
  big += ".\r\n";
  const auto r = CddbParseQueryResponse(big);
  EXPECT_EQ(r.status, CddbQueryStatus::Multiple);
  EXPECT_LE(r.matches.size(), 100u);
}

TEST(CddbReadResponse, RecordUntilTheDotLine) {
  const auto r = CddbParseReadResponse(
      "210 rock f00d0c10 CD database entry follows (until terminating `.')\r\n"
      "# xmcd\r\nDTITLE=A / B\r\nTTITLE0=One\r\n.\r\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.category, "rock");
  EXPECT_EQ(r.discId, "f00d0c10");
  EXPECT_EQ(r.record, "# xmcd\nDTITLE=A / B\nTTITLE0=One\n");
}

TEST(CddbReadResponse, ErrorsAndTruncation) {
  auto r = CddbParseReadResponse("401 rock f00d0c10 No such CD entry in database.\r\n");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.malformed);
  EXPECT_EQ(r.code, 401);
  r = CddbParseReadResponse("210 rock f00d0c10 entry follows\r\nDTITLE=A / B\r\nTTITLE0=On");
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.malformed);
  EXPECT_TRUE(r.record.empty());
  r = CddbParseReadResponse("HTTP/1.1 200 OK\r\n");
  EXPECT_TRUE(r.malformed);
  r = CddbParseReadResponse("200 rock f00d0c10 not a read answer\r\n");
  EXPECT_TRUE(r.malformed);
}

}  // namespace
