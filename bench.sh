#!/usr/bin/env bash
# Builds the Release configuration and runs every benchmark; see docs/PERFORMANCE.md.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh
lexaro_install_packages "${LEXARO_PACKAGES[@]}" "${LEXARO_BENCH_PACKAGES[@]}"
# The document benchmarks make their documents with the test suite's fixtures, so the tests are
# configured; only the programs the benchmarks run are built.
cmake --preset release -DLEXARO_BUILD_TESTS=ON -DLEXARO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release --target lexaro lexaro_extract lexaro_bench_stepper \
  lexaro_bench_tick lexaro_bench_load lexaro_pace_harness lexaro_stall_meter \
  lexaro_startup_harness lexaro_bench_documents lexaro_ocr_bench
exec bench/run_all.sh build/release "$@"
