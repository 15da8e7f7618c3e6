#include <iostream>
#include <string>
#include <vector>

#include "platform.h"
#include "resolve_command.h"

int main(int argc, char** argv) {
  quorlin::cli::PlatformSession session;
  const std::vector<std::string> args(argv + 1, argv + argc);
  return quorlin::cli::RunResolveCommand(args, std::cin, std::cout, std::cerr);
}
