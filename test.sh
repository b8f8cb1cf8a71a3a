#!/usr/bin/env bash
# Installs what is missing, then builds and checks everything; exits non-zero on any failure:
#   static analysis (clang-tidy, cppcheck) of the program's code,
#   the fuzz targets, each for a bounded time,
#   the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#   the whole suite in the development build (warnings are errors): unit, window, soak,
#   end-to-end on a real X display, packaging, and one quick run of every benchmark.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

lexaro_install_packages "${LEXARO_PACKAGES[@]}" "${LEXARO_TEST_PACKAGES[@]}"

echo "== Development build"
cmake --preset dev
cmake --build --preset dev

echo "== Static analysis"
scripts/static_analysis.sh build/dev

echo "== Fuzzing"
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

echo "== Sanitizers"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

echo "== Test suite"
ctest --preset dev
