// quorlin-resolve behaviour that only a POSIX system has: a UTF-8 terminal,
// and xdg-open as the system's opener.
#include <gtest/gtest.h>

#include "cli_test_fixture.h"

namespace quorlin::cli {
namespace {

using test::Fixture;
using test::Reply;

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
