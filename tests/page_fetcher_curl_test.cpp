// The libcurl fetcher's own limits, tightened so the tests need not wait a
// minute for a stalled server.
#include "page_fetcher_curl.h"

#include <gtest/gtest.h>

#include "page_server.h"

namespace quorlin {
namespace {

using test::PageServer;
using test::Reply;

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

}  // namespace
}  // namespace quorlin
