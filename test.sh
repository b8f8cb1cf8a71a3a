#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors) and runs the whole suite.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

lexaro_install_packages "${LEXARO_PACKAGES[@]}"
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
