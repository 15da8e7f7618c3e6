#include <iostream>
#include <string>
#include <vector>

#include "platform.h"
#include "resolve_command.h"

int main(int argc, char** argv) {
  quorlin::cli::PlatformSession session;
  const std::vector<std::string> args = quorlin::cli::TerminalArguments(argc, argv);
  return quorlin::cli::RunResolveCommand(args, std::cin, std::cout, std::cerr);
}
