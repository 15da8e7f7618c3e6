// Whole resolutions over a three-page chain served on loopback. Cases that
// depend on what the HTTP client does with the bytes of a page or of an
// address are tested with that client (page_fetcher_curl_test,
// windows/page_fetcher_com_test).
#include "link_resolver.h"

#include <gtest/gtest.h>

#include <functional>

#include "fixtures.h"
#include "page_server.h"
#include "text_scan.h"

namespace quorlin {
namespace {

using test::Fixture;
using test::PageServer;
using test::Reply;

using test::kFileTarget;
using test::kFinalAddress;
using test::kFinalTarget;
using test::kShareTarget;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

struct Chain {
  std::string share = Fixture("chain/share.html");
  std::string file = Fixture("chain/file.html");
  std::string final = Fixture("chain/final.html");
};

struct ChainCase {
  const char* why;
  std::function<void(Chain&)> change;
  std::string expected;
  int requests;  // how many pages the resolution asked for
};

TEST(ResolveDownloadAddress, FollowsTheThreePageChain) {
  const ChainCase cases[] = {
      {"the chain as the service serves it", [](Chain&) {}, kFinalAddress, 3},
      {"markers in capitals still match",
       [](Chain& c) {
         c.share = Replaced(c.share, "<tr>\r\n\t\t\t\t\t<td><a target=\"_blank\" href=",
                            "<TR>\r\n\t\t\t\t\t<TD><A TARGET=\"_BLANK\" HREF=");
         c.file = Replaced(c.file, "xzdz_6", "XZDZ_6");
         c.final = Replaced(c.final, "delayURL(\"http", "DELAYURL(\"http");
       },
       kFinalAddress, 3},
      {"share page with bare line feeds fails at stage 1",
       [](Chain& c) { c.share = Replaced(c.share, "\r\n", "\n"); }, "", 1},
      {"link line indented by four tabs fails at stage 1",
       [](Chain& c) { c.share = Replaced(c.share, "\t\t\t\t\t<td><a", "\t\t\t\t<td><a"); }, "", 1},
      {"spaces in place of the tab before src fail at stage 1",
       [](Chain& c) { c.share = Replaced(c.share, "<img\tsrc", "<img src"); }, "", 1},
      {"an empty href fails at stage 2",
       [](Chain& c) { c.file = Replaced(c.file, "/dl.php?id=8f3a&amp;t=1\" id", "\" id"); }, "", 2},
      {"final page with a bare line feed fails at stage 3",
       [](Chain& c) { c.final = Replaced(c.final, "K7q2\");\r\n", "K7q2\");\n"); }, "", 3},
  };
  for (const ChainCase& c : cases) {
    PageServer server;
    Chain chain;
    c.change(chain);
    server.Serve(kShareTarget, Reply::Page(chain.share, "text/html; charset=gbk"));
    server.Serve(kFileTarget, Reply::Page(chain.file, "text/html; charset=gbk"));
    server.Serve(kFinalTarget, Reply::Page(chain.final, "text/html; charset=gbk"));
    EXPECT_EQ(ResolveDownloadAddress(server.Url(kShareTarget)), c.expected) << c.why;
    EXPECT_EQ(server.Requests().size(), static_cast<std::size_t>(c.requests)) << c.why;
  }
}

TEST(ResolveDownloadAddress, AsksForThePagesInOrderOnTheSharePageHost) {
  PageServer server;
  server.Serve(kShareTarget, Reply::Status(404, Fixture("chain/share.html")));
  server.Serve(kFileTarget, Reply::Page(Fixture("chain/file.html")));
  server.Serve(kFinalTarget, Reply::Page(Fixture("chain/final.html")));
  EXPECT_EQ(ResolveDownloadAddress(server.Url(kShareTarget)), kFinalAddress);

  std::vector<std::string> targets;
  for (const auto& request : server.Requests()) targets.push_back(request.target);
  EXPECT_EQ(targets, (std::vector<std::string>{kShareTarget, kFileTarget, kFinalTarget}))
      << "character references stay as they are in the next address";
}

TEST(ResolveDownloadAddress, NothingAnsweringGivesTheEmptyText) {
  const std::string address = [] {
    PageServer gone;
    return gone.Url(kShareTarget);
  }();
  EXPECT_EQ(ResolveDownloadAddress(address), "");
  EXPECT_EQ(ResolveDownloadAddress(""), "");
}

TEST(ResolveDownloadAddress, RefusesFinalLinksThatAreNotWebAddresses) {
  const struct {
    const char* link;
    bool accepted;
  } cases[] = {
      {"http://dl.quorlin.com/a.zip", true},
      {"HTTPS://dl.quorlin.com/a.zip", true},
      {"http://h", true},
      {"http://h/a b.zip", true},
      {"http://h/\xC4\xEA.zip", true},
      {"javascript:alert(1)", false},
      {"file:///C:/Windows/System32/calc.exe", false},
      {"\\\\evil\\share\\setup.exe", false},
      {"C:\\Windows\\System32\\cmd.exe", false},
      {"calc.exe", false},
      {"ms-settings:", false},
      {"ftp://h/a.zip", false},
      {"http:/h/a.zip", false},
      {"http://", false},
      {"http:///a.zip", false},
      {"http://?a", false},
      {"http://\\\\evil\\share", false},
      {"http://h/a\"b.zip", false},
      {"http://h/a\" --flag", false},
      {"http://h/a\tb", false},
      {"http://h/a\x7F", false},
      {" http://h/a.zip", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsOpenableWebAddress(c.link), c.accepted) << c.link;

  // And the resolver holds them back end to end.
  PageServer server;
  server.Serve(kShareTarget, Reply::Page(Fixture("chain/share.html")));
  server.Serve(kFileTarget, Reply::Page(Fixture("chain/file.html")));
  for (const char* hostile :
       {"file:///C:/Windows/System32/calc.exe", "\\\\evil\\share\\x.exe", "http://h/a\" --flag"}) {
    server.Serve(kFinalTarget, Reply::Page(std::string("delayURL(\"") + hostile + "\");\r\n"));
    EXPECT_EQ(ResolveDownloadAddress(server.Url(kShareTarget)), "") << hostile;
  }
}

TEST(LinkResolver, DefaultShareAddressIsOnTheServiceHost) {
  EXPECT_EQ(DefaultShareAddress(), "http://www.quorlin.com/down_19968240.html");
  EXPECT_EQ(HostOf(DefaultShareAddress()), kServiceHost);
}

}  // namespace
}  // namespace quorlin
