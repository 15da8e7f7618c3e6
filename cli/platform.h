// What the command-line resolver needs of the system it runs on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlin::cli {

// Holds what the process needs set up while it resolves (the locale, or the
// thread's OLE initialisation) and undoes it at the end.
class PlatformSession {
 public:
  PlatformSession();
  ~PlatformSession();
  PlatformSession(const PlatformSession&) = delete;
  PlatformSession& operator=(const PlatformSession&) = delete;
};

// The program's arguments in the terminal's encoding.
std::vector<std::string> TerminalArguments(int argc, char** argv);

// Between the terminal's encoding and the core's narrow code page 936.
std::string TerminalToNarrow(std::string_view text);
std::string NarrowToTerminal(std::string_view text);

// Hands a resolved address to the system's opener; false when it could not
// be started.
bool OpenWithSystem(const std::string& narrowAddress);

}  // namespace quorlin::cli
