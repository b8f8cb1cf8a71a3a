#!/usr/bin/env bash
# Builds the Release configuration and runs every benchmark; see docs/PERFORMANCE.md.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
lexaro_install_packages "${LEXARO_PACKAGES[@]}" "${LEXARO_BENCH_PACKAGES[@]}"
cmake --preset release -DLEXARO_BUILD_TESTS=OFF >/dev/null
cmake --build --preset release
exec bench/run_all.sh build/release "$@"
