#include <gtest/gtest.h>

#include "components/cddb/cddb_text.h"
#include "components/cddb/cddb_url.h"

namespace {

TEST(CddbServerUrl, AcceptedForms) {
  CddbServerUrl u;
  std::wstring err;
  ASSERT_TRUE(CddbParseServerUrl(kCddbDefaultServer, u, err)) << err;
  EXPECT_FALSE(u.secure);
  EXPECT_EQ(u.host, L"gnudb.gnudb.org");
  EXPECT_EQ(u.port, 80);
  EXPECT_EQ(u.path, L"/~cddb/cddb.cgi");
  ASSERT_TRUE(CddbParseServerUrl(L"http://127.0.0.1:8880/hang/~cddb/cddb.cgi", u, err)) << err;
  EXPECT_EQ(u.host, L"127.0.0.1");
  EXPECT_EQ(u.port, 8880);
  EXPECT_EQ(u.path, L"/hang/~cddb/cddb.cgi");
  ASSERT_TRUE(CddbParseServerUrl(L"HTTPS://example.org", u, err)) << err;
  EXPECT_TRUE(u.secure);
  EXPECT_EQ(u.port, 443);
  EXPECT_EQ(u.path, L"/~cddb/cddb.cgi");
  ASSERT_TRUE(CddbParseServerUrl(L"http://[::1]:9000/x.cgi", u, err)) << err;
  EXPECT_EQ(u.host, L"::1");
  EXPECT_EQ(u.port, 9000);
}

TEST(CddbServerUrl, RejectedForms) {
  CddbServerUrl u;
  for (const wchar_t* bad :
       {L"", L"gnudb.org/~cddb/cddb.cgi", L"ftp://host/", L"http://", L"http://:80/", L"http://host:0/",
        L"http://host:65536/", L"http://host:80x/", L"http://host:/", L"http://user@host/", L"http://ho st/",
        L"http://host/a b", L"http://host/cgi?cmd=x", L"http://host/#frag", L"http://[::1/", L"http://[zz]/",
        L"http://host:1234567/"}) {
    std::wstring err;
    EXPECT_FALSE(CddbParseServerUrl(bad, u, err)) << bad;
    EXPECT_FALSE(err.empty()) << bad;
  }
}

TEST(CddbText, Utf8DecodingIsStrict) {
  EXPECT_TRUE(CddbIsValidUtf8("plain"));
  EXPECT_TRUE(CddbIsValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5"));
  EXPECT_FALSE(CddbIsValidUtf8("\xC0\xAF"));          // overlong '/'
  EXPECT_FALSE(CddbIsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(CddbIsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
  EXPECT_FALSE(CddbIsValidUtf8("\xE2\x82"));          // truncated
  EXPECT_FALSE(CddbIsValidUtf8("\x80"));
  EXPECT_EQ(CddbDecodeText("\xC0\xAF"), L"\u00C0\u00AF");
}

TEST(CddbText, RoundTripAndFormEncoding) {
  const std::wstring text = L"Bj\u00F6rk \u65E5 \U0001F3B5";
  EXPECT_EQ(CddbDecodeText(CddbToUtf8(text)), text);
  EXPECT_EQ(CddbFormEncode("cddb query 0a0b0c0d 2 150"), "cddb+query+0a0b0c0d+2+150");
  EXPECT_EQ(CddbFormEncode("a+b&c=d%~"), "a%2Bb%26c%3Dd%25~");
  EXPECT_EQ(CddbFormEncode("\xC3\xA9"), "%C3%A9");
}

}  // namespace
