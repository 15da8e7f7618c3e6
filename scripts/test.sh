#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the
# native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows suites under Wine.
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

# The product is the 32-bit build. Its suite runs where the kernel runs
# 32-bit programs; some kernels have that switched off (ia32_emulation=off),
# and then the same sources run as a 64-bit build under 64-bit Wine.
run_preset win32
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ctest --preset win32
else
  echo "== win32: this kernel does not run 32-bit programs; the 32-bit build is made, its suite is not run"
fi

run_preset win64
ctest --preset win64
