#!/usr/bin/env bash
# Installs what is missing, builds Lexaro (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

lexaro_install_packages "${LEXARO_PACKAGES[@]}"
cmake --preset release -DLEXARO_BUILD_TESTS=OFF -DLEXARO_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build --preset release --target lexaro
exec ./build/release/lexaro "$@"
