// From a share page of the file-hosting service to the file's direct
// download address, through the service's three pages.
#pragma once

#include <string>
#include <string_view>

namespace quorlin {

// Host of the service's share pages, and one share page on it.
inline constexpr std::string_view kServiceHost = "www.quorlin.com";
std::string DefaultShareAddress();

// The direct download address, or the empty text when any stage fails. The
// address is used as given; the later pages are asked for on its host.
std::string ResolveDownloadAddress(const std::string& address);

// Whether a final link is an http or https address with a host and nothing
// in it that could escape the shell's "open" of a web address.
bool IsOpenableWebAddress(std::string_view link);

}  // namespace quorlin
