// The fixtures of the quorlin-resolve tests: a loopback service with one
// good share page and one that leads nowhere, and the resolver run in-process
// or as a child process.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "fixtures.h"
#include "page_server.h"
#include "resolve_command.h"
#include "run_process.h"

namespace quorlin::cli {

using test::kFinalAddress;

class CliTest : public testing::Test {
 protected:
  CliTest() {
    server_.Serve(test::kShareTarget, test::Reply::Page(test::Fixture("chain/share.html")));
    server_.Serve(test::kFileTarget, test::Reply::Page(test::Fixture("chain/file.html")));
    server_.Serve(test::kFinalTarget, test::Reply::Page(test::Fixture("chain/final.html")));
    server_.Serve("/down_2.html", test::Reply::Page("no links here"));
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

  test::PageServer server_;
};

class CliProcessTest : public CliTest {
 protected:
  test::ProcessResult Resolve(std::vector<std::string> args, const std::string& input = "",
                              const std::vector<std::string>& environment = {}) {
    args.insert(args.begin(), QUORLIN_RESOLVE_EXE);
    return test::RunProcess(args, input, environment);
  }
};

}  // namespace quorlin::cli
