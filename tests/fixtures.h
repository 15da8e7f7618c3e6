// Where the tests find their fixture files.
#pragma once

#include <string>

#include "page_server.h"

namespace quorlin::test {

inline std::string FixturePath(const std::string& name) {
  return std::string(QUORLIN_FIXTURES_DIR) + "/" + name;
}

inline std::string Fixture(const std::string& name) { return ReadFileBytes(FixturePath(name)); }

// The worked chain in fixtures/chain/: where its three pages are served, and
// the direct address its last page holds.
inline constexpr const char* kShareTarget = "/down_1.html";
inline constexpr const char* kFileTarget = "/file/8f3a.html";
inline constexpr const char* kFinalTarget = "/dl.php?id=8f3a&amp;t=1";
inline constexpr const char* kFinalAddress =
    "http://dl.quorlin.com/files/8f3a/%E5%B9%B4%E5%BA%A6.zip?key=K7q2";

}  // namespace quorlin::test
