// quorlin-resolve: in-process for the many cases, as a real process where
// the process boundary itself matters (exit status, stdin, the opener).
#include <gtest/gtest.h>

#include <sstream>

#include "fixtures.h"
#include "page_server.h"
#include "resolve_command.h"
#include "run_process.h"

namespace quorlin::cli {
namespace {

using test::Fixture;
using test::PageServer;
using test::Reply;

constexpr const char* kFinalAddress =
    "http://dl.quorlin.com/files/8f3a/%E5%B9%B4%E5%BA%A6.zip?key=K7q2";

// A loopback service with one good share page and one that leads nowhere.
class CliTest : public testing::Test {
 protected:
  CliTest() {
    server_.Serve("/down_1.html", Reply::Page(Fixture("chain/share.html")));
    server_.Serve("/file/8f3a.html", Reply::Page(Fixture("chain/file.html")));
    server_.Serve("/dl.php?id=8f3a&amp;t=1", Reply::Page(Fixture("chain/final.html")));
    server_.Serve("/down_2.html", Reply::Page("no links here"));
  }

  struct Run {
    int status;
    std::string out;
    std::string err;
  };

  Run RunCommand(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunResolveCommand(args, in, out, err);
    return {status, out.str(), err.str()};
  }

  std::string Good() const { return server_.Url("/down_1.html"); }
  std::string Bad() const { return server_.Url("/down_2.html"); }

  PageServer server_;
};

TEST_F(CliTest, PrintsEachResolvedAddressInInputOrder) {
  const Run run = RunCommand({Good(), Good()});
  EXPECT_EQ(run.status, kExitAllResolved);
  EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n" + kFinalAddress + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(server_.CountRequests("/down_1.html"), 2) << "each address is resolved once";
}

TEST_F(CliTest, AFailureIsNamedOnStderrAndTheRestStillResolve) {
  const Run run = RunCommand({Bad(), Good()});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n");
  EXPECT_EQ(run.err, "quorlin-resolve: could not resolve " + Bad() + "\n");
}

TEST_F(CliTest, ReadsAddressesFromStandardInput) {
  const std::string input = "# my downloads\n\n" + Good() + "\r\n   \n" + Bad() + "\n" + Good();
  for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"-"}}) {
    const Run run = RunCommand(args, input);
    EXPECT_EQ(run.status, kExitSomeFailed);
    EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n" + kFinalAddress + "\n");
    EXPECT_EQ(run.err, "quorlin-resolve: could not resolve " + Bad() + "\n");
  }
}

TEST_F(CliTest, DashReadsStandardInputAfterTheArguments) {
  const Run run = RunCommand({Bad(), "-"}, Good() + "\n");
  EXPECT_EQ(run.out, std::string(kFinalAddress) + "\n");
  EXPECT_EQ(run.status, kExitSomeFailed);
}

TEST_F(CliTest, JsonGivesOneObjectALineWithNullForFailures) {
  const Run run = RunCommand({"--json", Good(), Bad()});
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_EQ(run.out, "{\"address\": \"" + Good() + "\", \"resolved\": \"" + kFinalAddress +
                         "\"}\n{\"address\": \"" + Bad() + "\", \"resolved\": null}\n");
}

TEST_F(CliTest, TerminalTextIsConvertedAtTheBoundary) {
  // The page names the file in code page 936; the terminal speaks UTF-8, and
  // an address typed in UTF-8 reaches the service in code page 936 (which
  // libcurl percent-encodes on the wire: UTF-8 would read %e6%96%87).
  server_.Serve("/%ce%c4.html", Reply::Page(Fixture("chain/share.html")));
  server_.Serve("/dl.php?id=8f3a&amp;t=1",
                Reply::Page("delayURL(\"http://h/\xC4\xEA\xB6\xC8.zip\");\r\n"));
  const Run run = RunCommand({"--json", server_.Url("/\xE6\x96\x87.html")});
  EXPECT_EQ(run.status, kExitAllResolved) << run.err;
  EXPECT_EQ(run.out, "{\"address\": \"" + server_.Url("/\xE6\x96\x87.html") +
                         "\", \"resolved\": \"http://h/\xE5\xB9\xB4\xE5\xBA\xA6.zip\"}\n");
}

TEST(Cli, UsageErrorsHelpAndVersion) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* outStart;
    const char* errStart;
  } cases[] = {
      {{"--frobnicate"}, kExitUsage, "", "quorlin-resolve: unknown option '--frobnicate'\n"},
      {{"-x", "http://h/"}, kExitUsage, "", "quorlin-resolve: unknown option '-x'\n"},
      {{"--help"}, kExitAllResolved, "Usage: quorlin-resolve [--open] [--json] [ADDRESS...]\n", ""},
      {{"-h"}, kExitAllResolved, "Usage: ", ""},
      {{"--version"}, kExitAllResolved, "quorlin-resolve 1.0.0.0\n", ""},
  };
  for (const auto& c : cases) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(RunResolveCommand(c.args, in, out, err), c.status) << c.args[0];
    EXPECT_EQ(out.str().rfind(c.outStart, 0), 0u) << c.args[0] << ": " << out.str();
    EXPECT_EQ(err.str().rfind(c.errStart, 0), 0u) << c.args[0] << ": " << err.str();
    if (c.status == kExitUsage) {
      EXPECT_EQ(out.str(), "");
    }
  }
}

TEST(Cli, JsonStringEscapesWhatJsonRequires) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"plain", "\"plain\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\b", "\"a\\\\b\""},
      {"\r\n\t\b\f", "\"\\r\\n\\t\\b\\f\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {"\xE5\xB9\xB4", "\"\xE5\xB9\xB4\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

class CliProcessTest : public CliTest {
 protected:
  test::ProcessResult Resolve(std::vector<std::string> args, const std::string& input = "",
                              const std::vector<std::string>& environment = {}) {
    args.insert(args.begin(), QUORLIN_RESOLVE_EXE);
    return test::RunProcess(args, input, environment);
  }
};

TEST_F(CliProcessTest, ExitStatusTellsWhetherAllResolved) {
  EXPECT_EQ(Resolve({Good()}).exitCode, 0);
  EXPECT_EQ(Resolve({Good(), Bad()}).exitCode, 1);
  EXPECT_EQ(Resolve({"--nope"}).exitCode, 2);
  const test::ProcessResult piped = Resolve({}, Good() + "\n");
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.out, std::string(kFinalAddress) + "\n");
}

TEST_F(CliProcessTest, OpenHandsEachResolvedAddressToTheOpener) {
  // A stand-in for xdg-open that records its arguments.
  const std::string dir = testing::TempDir() + "opener-" + std::to_string(server_.Port());
  const std::string record = dir + "/opened.txt";
  test::RunProcess({"/bin/mkdir", "-p", dir});
  test::RunProcess({"/bin/sh", "-c",
                    "printf '#!/bin/sh\\nprintf \"%%s\\\\n\" \"$@\" >> \"" + record + "\"\\n' > " +
                        dir + "/xdg-open && chmod +x " + dir + "/xdg-open"});
  const std::string path = "PATH=" + dir + ":/usr/bin:/bin";

  const test::ProcessResult run = Resolve({"--open", Good(), Bad()}, "", {path});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(test::ReadFileBytes(record), std::string(kFinalAddress) + "\n")
      << "only the resolved address is opened, as one argument";
}

}  // namespace
}  // namespace quorlin::cli
