#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the
# native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the 32-bit Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

echo "== layout: clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

jobs=$(nproc)
run_preset() {
  local preset=$1
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
}

run_preset native
ctest --preset native -j "$jobs"

run_preset asan
ctest --preset asan -j "$jobs"

run_preset win32
