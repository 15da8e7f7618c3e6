// The libcurl fetcher's limits, named so that tests can tighten them.
#pragma once

#include <cstddef>
#include <string>

namespace quorlin {

// What a careful client holds itself to; libcurl by itself sets no limit.
struct FetchLimits {
  long maxRedirects = 10;
  long connectTimeoutSeconds = 30;
  // The transfer is abandoned when fewer than lowSpeedBytesPerSecond arrive
  // for lowSpeedSeconds in a row.
  long lowSpeedBytesPerSecond = 1;
  long lowSpeedSeconds = 60;
  std::size_t maxBodyBytes = std::size_t{64} << 20;
};

// FetchPageText with the given limits instead of the defaults.
std::string FetchPageTextWithin(const std::string& address, const FetchLimits& limits);

}  // namespace quorlin
