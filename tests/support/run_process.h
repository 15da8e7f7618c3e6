// Runs a program of ours as a child process and collects what it printed.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorlin::test {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// argv[0] is the program's path. `input` is written to its standard input,
// which is then closed. `environment` entries ("NAME=value") are added to or
// replace the test's own environment.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::vector<std::string>& environment = {});

}  // namespace quorlin::test
