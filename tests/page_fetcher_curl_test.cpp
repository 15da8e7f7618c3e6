// The libcurl fetcher's own behaviour: how it decodes bodies, which
// addresses it refuses, what it sends, and its limits (tightened so the tests
// need not wait a minute for a stalled server).
#include "page_fetcher_curl.h"

#include <gtest/gtest.h>

#include "fixtures.h"
#include "link_resolver.h"
#include "page_fetcher.h"
#include "page_server.h"

namespace quorlin {
namespace {

using test::Fixture;
using test::kFileTarget;
using test::kFinalTarget;
using test::kShareTarget;
using test::PageServer;
using test::Reply;

TEST(FetchPageText, DecodesTheBodyByItsLabelOrItsBytes) {
  const struct {
    const char* why;
    Reply reply;
    std::string expected;
  } cases[] = {
      {"GBK bytes under a gb2312 label pass as they are",
       Reply::Page("\xC4\xEA\xB6\xC8", "text/html; charset=gb2312"), "\xC4\xEA\xB6\xC8"},
      {"unlabelled invalid UTF-8 is taken as GBK", Reply::Page("\xC4\xEA", "text/html"),
       "\xC4\xEA"},
      {"a UTF-16 byte-order mark decides", Reply::Page(std::string("\xFF\xFEh\0i\0", 6), ""), "hi"},
      {"a UTF-8 byte-order mark is dropped", Reply::Page("\xEF\xBB\xBFhi", ""), "hi"},
      {"a character code page 936 lacks becomes '?'",
       Reply::Page("a\xF0\x9F\x98\x80z", "text/html; charset=utf-8"), "a?z"},
      {"Latin-1 letters that code page 936 has",
       Reply::Page("caf\xE9", "text/plain; charset=iso-8859-1"), "caf\xA8\xA6"},
      {"NUL after decoding UTF-16", Reply::Page(std::string("\xFF\xFEh\0\0\0i\0", 8), ""), "h"},
  };
  PageServer server;
  for (const auto& c : cases) {
    server.Serve("/page", c.reply);
    EXPECT_EQ(FetchPageText(server.Url("/page")), c.expected) << c.why;
  }
}

TEST(FetchPageText, RefusesWhatIsNotAWebPage) {
  PageServer server;
  server.Serve("/loop", Reply::Redirect(302, "/loop"));
  const struct {
    const char* why;
    std::string address;
  } cases[] = {
      {"redirect loop beyond ten hops", server.Url("/loop")},
      {"not a web scheme", "file:///etc/hostname"},
      {"another scheme libcurl knows", "ftp://127.0.0.1/x"},
  };
  for (const auto& c : cases) EXPECT_EQ(FetchPageText(c.address), "") << c.why;
}

TEST(FetchPageText, SendsNoHeaderOfItsOwn) {
  PageServer server;
  server.Serve("/page", Reply::Page("ok"));
  EXPECT_EQ(FetchPageText(server.Url("/page")), "ok");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  std::vector<std::string> names;
  for (const auto& [name, value] : requests[0].headers) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"Host", "Accept-Encoding"}));
}

TEST(FetchPageTextWithin, AbandonsAStalledTransfer) {
  PageServer server;
  Reply stall;
  stall.kind = Reply::Kind::kStallAfterHeaders;
  stall.body = "never sent";
  server.Serve("/stall", stall);
  FetchLimits limits;
  limits.lowSpeedSeconds = 1;
  EXPECT_EQ(FetchPageTextWithin(server.Url("/stall"), limits), "");
}

TEST(FetchPageTextWithin, RefusesBodiesOverTheLimit) {
  PageServer server;
  server.Serve("/big", Reply::Page(std::string(2048, 'x')));
  server.Serve("/small", Reply::Page(std::string(1024, 'x')));
  FetchLimits limits;
  limits.maxBodyBytes = 1024;
  EXPECT_EQ(FetchPageTextWithin(server.Url("/big"), limits), "");
  EXPECT_EQ(FetchPageTextWithin(server.Url("/small"), limits).size(), 1024u);
}

TEST(FetchPageTextWithin, StopsAfterTheRedirectLimit) {
  PageServer server;
  for (int i = 0; i < 3; ++i) {
    server.Serve("/r" + std::to_string(i), Reply::Redirect(302, "/r" + std::to_string(i + 1)));
  }
  server.Serve("/r3", Reply::Page("end"));
  FetchLimits limits;
  limits.maxRedirects = 2;
  EXPECT_EQ(FetchPageTextWithin(server.Url("/r0"), limits), "");
  limits.maxRedirects = 3;
  EXPECT_EQ(FetchPageTextWithin(server.Url("/r0"), limits), "end");
}

// Resolutions that rest on what libcurl does with the bytes: a page comes
// through byte for byte, and an address goes out as given.
class ResolveOverLibcurl : public testing::Test {
 protected:
  PageServer server_;
};

TEST_F(ResolveOverLibcurl, ALeadByteRightBeforeTheMarkerHidesIt) {
  // "\xE9<" is one two-byte character to the scanner, so "<tr>" is not there.
  std::string share = Fixture("chain/share.html");
  const std::string marker = "\t\t\t\t<tr>\r\n\t\t\t\t\t<td><a";
  int hidden = 0;
  for (std::size_t at = share.find(marker); at != std::string::npos;
       at = share.find(marker, at + marker.size() + 1)) {
    share.insert(at + 4, "\xE9");
    ++hidden;
  }
  ASSERT_GT(hidden, 0);
  server_.Serve(kShareTarget, Reply::Page(share, "text/html; charset=gbk"));
  server_.Serve(kFileTarget, Reply::Page(Fixture("chain/file.html"), "text/html; charset=gbk"));
  server_.Serve(kFinalTarget, Reply::Page(Fixture("chain/final.html"), "text/html; charset=gbk"));
  EXPECT_EQ(ResolveDownloadAddress(server_.Url(kShareTarget)), "");
  EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(ResolveOverLibcurl, AnAddressWithoutSchemeIsFetchedAsGiven) {
  server_.Serve(kShareTarget, Reply::Page(Fixture("chain/share.html")));
  server_.Serve(kFileTarget, Reply::Page(Fixture("chain/file.html")));
  server_.Serve(kFinalTarget, Reply::Page(Fixture("chain/final.html")));
  const std::string address = "127.0.0.1:" + std::to_string(server_.Port()) + kShareTarget;
  EXPECT_EQ(ResolveDownloadAddress(address), test::kFinalAddress);
}

TEST_F(ResolveOverLibcurl, TakesEverythingUpToALateEndMarker) {
  // The end marker stands further down than the link: all in between, markup
  // included, is the link, and is asked for as such.
  const std::string file =
      "<li class=\"xzdz_6\"><a href=\"/dl.php?id=1\"><b>x</b></a><b>more</b>\" id=\"downfile\">";
  const std::string longLink = "/dl.php?id=1\"><b>x</b></a><b>more</b>";
  server_.Serve(kShareTarget, Reply::Page(Fixture("chain/share.html")));
  server_.Serve(kFileTarget, Reply::Page(file));
  server_.Serve(longLink, Reply::Page("delayURL(\"http://h/ok\");\r\n"));
  EXPECT_EQ(ResolveDownloadAddress(server_.Url(kShareTarget)), "http://h/ok");
  EXPECT_EQ(server_.CountRequests(longLink), 1);
}

}  // namespace
}  // namespace quorlin
