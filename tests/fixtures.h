// Where the tests find their fixture files.
#pragma once

#include <string>

#include "page_server.h"

namespace quorlin::test {

inline std::string FixturePath(const std::string& name) {
  return std::string(QUORLIN_FIXTURES_DIR) + "/" + name;
}

inline std::string Fixture(const std::string& name) { return ReadFileBytes(FixturePath(name)); }

}  // namespace quorlin::test
