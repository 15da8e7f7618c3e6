// The fetcher on the platform's request component against the loopback page
// server: what comes back, and what the server saw.
#include "page_fetcher_com.h"

#include <gtest/gtest.h>

#include <string>

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

TEST_F(ComFetcher, SendsOneGetOfTheAddressAsGiven) {
  server_.Serve("/a?b=1&c=%41", Reply::Page("x"));
  const std::string address = server_.Url("/a?b=1&c=%41");
  const std::string before = address;
  EXPECT_EQ(FetchPageText(address), "x");
  EXPECT_EQ(address, before);
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].method, "GET");
  EXPECT_EQ(server_.Requests()[0].target, "/a?b=1&c=%41");
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
  const struct {
    const char* why;
    std::string address;
  } cases[] = {
      {"the component refuses an address without a scheme", "no scheme here"},
      {"an empty address", ""},
      {"a scheme the component does not serve", "gopher://127.0.0.1/x"},
      {"nobody listening", closedPort},
      {"connection reset", server_.Url("/reset")},
  };
  for (const auto& c : cases) EXPECT_EQ(FetchPageText(c.address), "") << c.why;
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
