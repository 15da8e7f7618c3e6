// The fetcher on the platform's request component against the loopback page
// server: what comes back, and what the server saw.
#include "page_fetcher_com.h"

#include <gtest/gtest.h>

#include <string>

#include "link_resolver.h"
#include "page_fetcher.h"
#include "page_server.h"
#include "program_runtime.h"

namespace quorlin {
namespace {

using test::PageServer;
using test::Reply;

// The program initialises OLE once at start; the fetcher relies on it.
class ComFetcher : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartRuntime(); }
  static void TearDownTestSuite() { ShutDownRuntime(); }

  PageServer server_;
};

TEST_F(ComFetcher, ReturnsTheBodyAsText) {
  const struct {
    const char* why;
    Reply reply;
    std::string expected;
  } cases[] = {
      {"plain page", Reply::Page("<p>hi</p>\r\n"), "<p>hi</p>\r\n"},
      {"an empty body is the empty text", Reply::Page(""), ""},
      {"a 404 still gives its body", Reply::Status(404, "not here"), "not here"},
      {"the text ends at the first NUL", Reply::Page(std::string("ab\0cd", 5)), "ab"},
      {"a NUL first gives nothing", Reply::Page(std::string("\0cd", 3)), ""},
      {"UTF-8 Chinese under its label becomes code page 936",
       Reply::Page("\xE5\xB9\xB4\xE5\xBA\xA6", "text/html; charset=utf-8"), "\xC4\xEA\xB6\xC8"},
      {"Thai, which code page 936 lacks, becomes the default character",
       Reply::Page("a\xE0\xB8\x81z", "text/html; charset=utf-8"), "a?z"},
  };
  for (const auto& c : cases) {
    server_.Serve("/page", c.reply);
    EXPECT_EQ(FetchPageText(server_.Url("/page")), c.expected) << c.why;
  }
}

// The component decodes a body by its byte-order mark, whatever the label
// says; Wine keeps the mark itself as a character, which code page 936 lacks,
// so the text may start with one default character.
TEST_F(ComFetcher, AUtf16BodyIsNarrowedUpToItsFirstNul) {
  const struct {
    const char* why;
    std::string body;
    std::string expected;
  } cases[] = {
      {"UTF-16 after its byte-order mark", std::string("\xFF\xFEh\0i\0", 6), "hi"},
      {"a NUL unit ends the text", std::string("\xFF\xFEh\0\0\0i\0", 8), "h"},
      {"Chinese in UTF-16 becomes code page 936", std::string("\xFF\xFE\x74\x5E\xA6\x5E", 6),
       "\xC4\xEA\xB6\xC8"},
  };
  for (const auto& c : cases) {
    server_.Serve("/utf16", Reply::Page(c.body, "text/html; charset=gbk"));
    std::string text = FetchPageText(server_.Url("/utf16"));
    if (text.size() == c.expected.size() + 1 && text[0] == '?') text.erase(0, 1);
    EXPECT_EQ(text, c.expected) << c.why;
  }
}

TEST_F(ComFetcher, SendsOneGetOfTheAddressAsGiven) {
  // Escapes of reserved and non-ASCII bytes stay as written. (Wine's component
  // undoes escapes of unreserved characters: "%41" goes out as "A".)
  const std::string target = "/a?b=1&c=%C4%EA&d=%20&e=%2F";
  server_.Serve(target, Reply::Page("x"));
  const std::string address = server_.Url(target);
  const std::string before = address;
  EXPECT_EQ(FetchPageText(address), "x");
  EXPECT_EQ(address, before);
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].method, "GET");
  EXPECT_EQ(server_.Requests()[0].target, target);
}

TEST_F(ComFetcher, TheComponentEscapesWhatAnAddressMayNotHold) {
  // The resolver asks for a link cut up to a late end marker, markup and all;
  // the component puts it on the wire with its quotes and brackets escaped.
  const std::string file =
      "<li class=\"xzdz_6\"><a href=\"/dl.php?id=1\"><b>x</b></a>\" id=\"downfile\">";
  const std::string escapedLink = "/dl.php?id=1%22%3E%3Cb%3Ex%3C/b%3E%3C/a%3E";
  server_.Serve("/down_1.html", Reply::Page(test::ReadFileBytes(std::string(QUORLIN_FIXTURES_DIR) +
                                                                "/chain/share.html")));
  server_.Serve("/file/8f3a.html", Reply::Page(file));
  server_.Serve(escapedLink, Reply::Page("delayURL(\"http://h/ok\");\r\n"));
  EXPECT_EQ(ResolveDownloadAddress(server_.Url("/down_1.html")), "http://h/ok");
  EXPECT_EQ(server_.CountRequests(escapedLink), 1);
}

TEST_F(ComFetcher, TwoFetchesMakeTwoRequests) {
  server_.Serve("/twice", Reply::Page("same"));
  EXPECT_EQ(FetchPageText(server_.Url("/twice")), "same");
  EXPECT_EQ(FetchPageText(server_.Url("/twice")), "same");
  EXPECT_EQ(server_.CountRequests("/twice"), 2);
}

TEST_F(ComFetcher, FailuresGiveTheEmptyText) {
  Reply reset;
  reset.kind = Reply::Kind::kReset;
  server_.Serve("/reset", reset);
  const std::string closedPort = [] {
    PageServer gone;
    return gone.Url("/x");
  }();
  server_.Serve("/page", Reply::Page("unseen"));
  // Not gopher: or ftp: Wine's component never ends a request for those.
  const struct {
    const char* why;
    std::string address;
  } cases[] = {
      {"the component refuses an address without a scheme", "no scheme here"},
      {"a host and port without a scheme too",
       "127.0.0.1:" + std::to_string(server_.Port()) + "/page"},
      {"an empty address", ""},
      {"a scheme the component does not serve", "mailto:someone@127.0.0.1"},
      {"nobody listening", closedPort},
      {"connection reset", server_.Url("/reset")},
  };
  for (const auto& c : cases) EXPECT_EQ(FetchPageText(c.address), "") << c.why;
  EXPECT_EQ(server_.CountRequests("/page"), 0);
}

TEST_F(ComFetcher, AMissingComponentGivesTheEmptyTextWithoutARequest) {
  server_.Serve("/page", Reply::Page("unseen"));
  EXPECT_EQ(FetchPageTextWith("Quorlin.NoSuchComponent", server_.Url("/page")), "");
  EXPECT_EQ(server_.CountRequests("/page"), 0);
  // And the real component still works afterwards.
  EXPECT_EQ(FetchPageTextWith(kRequestProgId, server_.Url("/page")), "unseen");
}

}  // namespace
}  // namespace quorlin
