// The page fetcher against a real server on loopback: what comes back, and
// what the server saw. These hold for both fetchers; how a body's bytes are
// decoded, how far redirects are followed and which schemes are served are
// each HTTP client's own, and are tested with it (page_fetcher_curl_test,
// windows/page_fetcher_com_test).
#include "page_fetcher.h"

#include <gtest/gtest.h>

#include "page_server.h"

namespace quorlin {
namespace {

using test::PageServer;
using test::Reply;

struct BodyCase {
  const char* why;
  Reply reply;
  std::string expected;
};

TEST(FetchPageText, ReturnsTheBodyAsText) {
  const BodyCase cases[] = {
      {"plain page", Reply::Page("<p>hi</p>\r\n"), "<p>hi</p>\r\n"},
      {"empty body is the empty text", Reply::Page(""), ""},
      {"an error status still gives its body", Reply::Status(404, "not here"), "not here"},
      {"a server error too", Reply::Status(500, "oops"), "oops"},
      {"the text ends at the first NUL", Reply::Page(std::string("ab\0cd", 5)), "ab"},
      {"a NUL first gives nothing", Reply::Page(std::string("\0cd", 3)), ""},
      {"UTF-8 under its label becomes code page 936",
       Reply::Page("\xE5\xB9\xB4\xE5\xBA\xA6", "text/html; charset=UTF-8"), "\xC4\xEA\xB6\xC8"},
      {"a quoted label", Reply::Page("\xE5\xB9\xB4", "text/html; charset=\"utf-8\""), "\xC4\xEA"},
      {"unlabelled valid UTF-8 is read as UTF-8", Reply::Page("\xE5\xB9\xB4", "text/html"),
       "\xC4\xEA"},
      {"Latin-1 letters that code page 936 lacks",
       Reply::Page("\xFFx", "text/plain; charset=iso-8859-1"), "?x"},
      {"an unknown label falls back to sniffing",
       Reply::Page("\xE5\xB9\xB4", "text/html; charset=nonsense"), "\xC4\xEA"},
  };
  PageServer server;
  for (const BodyCase& c : cases) {
    server.Serve("/page", c.reply);
    EXPECT_EQ(FetchPageText(server.Url("/page")), c.expected) << c.why;
  }
}

TEST(FetchPageText, FailuresGiveTheEmptyText) {
  PageServer server;
  Reply reset;
  reset.kind = Reply::Kind::kReset;
  server.Serve("/reset", reset);
  const std::string closedPort = [] {
    PageServer gone;
    return gone.Url("/x");
  }();

  const struct {
    const char* why;
    std::string address;
  } cases[] = {
      {"connection reset", server.Url("/reset")},
      {"nobody listening", closedPort},
      {"no address at all", ""},
      {"a malformed address", "http://[::1"},
  };
  for (const auto& c : cases) EXPECT_EQ(FetchPageText(c.address), "") << c.why;
}

TEST(FetchPageText, FollowsRedirectsOverHttpOnly) {
  PageServer server;
  server.Serve("/old", Reply::Redirect(301, "/new"));
  server.Serve("/new", Reply::Page("moved"));
  server.Serve("/to-file", Reply::Redirect(302, "file:///etc/hostname"));
  EXPECT_EQ(FetchPageText(server.Url("/old")), "moved");
  EXPECT_EQ(FetchPageText(server.Url("/to-file")), "");
}

TEST(FetchPageText, InflatesGzipBodies) {
  PageServer server;
  Reply reply =
      Reply::Page(test::ReadFileBytes(std::string(QUORLIN_FIXTURES_DIR) + "/gzip/hello.html.gz"));
  reply.gzipEncoded = true;
  server.Serve("/gz", reply);
  EXPECT_EQ(FetchPageText(server.Url("/gz")), "<p>hello, gzip</p>\n");
}

// Which headers go with the request is the HTTP client's own business (the
// request component adds several); the libcurl fetcher's are checked with it.
TEST(FetchPageText, SendsOneGetOfTheAddressAsGiven) {
  PageServer server;
  const std::string target = "/dl.php?id=8f3a&amp;t=1";
  server.Serve(target, Reply::Page("ok"));
  const std::string address = server.Url(target);
  EXPECT_EQ(FetchPageText(address), "ok");
  EXPECT_EQ(address, server.Url(target)) << "the caller's text is left alone";

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, target);
}

TEST(FetchPageText, EveryFetchMakesItsOwnRequest) {
  PageServer server;
  int served = 0;
  server.Serve("/count", [&served](const test::Request&) {
    return Reply::Page("n=" + std::to_string(++served));
  });
  EXPECT_EQ(FetchPageText(server.Url("/count")), "n=1");
  EXPECT_EQ(FetchPageText(server.Url("/count")), "n=2");
  EXPECT_EQ(server.CountRequests("/count"), 2);
}

TEST(FetchPageText, WaitsForASlowServer) {
  PageServer server;
  Reply slow = Reply::Page("late");
  slow.delay = std::chrono::milliseconds(300);
  server.Serve("/slow", slow);
  EXPECT_EQ(FetchPageText(server.Url("/slow")), "late");
}

}  // namespace
}  // namespace quorlin
