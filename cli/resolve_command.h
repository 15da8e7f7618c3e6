// quorlin-resolve: share-page addresses in, direct download addresses out.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorlin::cli {

inline constexpr int kExitAllResolved = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs the command with its arguments (without the program name); addresses
// come from the arguments, or from `in` one a line. Returns the exit status.
int RunResolveCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                      std::ostream& err);

// A JSON string literal, quotes included, of UTF-8 text.
std::string JsonString(const std::string& text);

}  // namespace quorlin::cli
