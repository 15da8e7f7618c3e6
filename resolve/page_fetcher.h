// One page of the service, fetched with a single synchronous GET.
#pragma once

#include <string>

namespace quorlin {

// The response body as text in code page 936, up to its first NUL, or the
// empty text when nothing came back. Status codes are not examined, so an
// error page's body is returned like any other. The address goes out exactly
// as given.
std::string FetchPageText(const std::string& address);

}  // namespace quorlin
