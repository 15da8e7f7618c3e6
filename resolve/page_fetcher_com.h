// The Windows page fetcher with its request component named, so that the
// tests can name one that is not registered.
#pragma once

#include <string>

namespace quorlin {

inline constexpr char kRequestProgId[] = "Microsoft.XMLHTTP";

// FetchPageText on the component registered under progId.
std::string FetchPageTextWith(const std::string& progId, const std::string& address);

}  // namespace quorlin
