#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from its committed seed corpus, working on a copy so
# the repository is never touched. Prints the executions made; fails on any finding.
#
#   run_fuzzer.sh FUZZER SEED_DIR SECONDS
set -euo pipefail
FUZZER=$(realpath "$1")
SEEDS=$(realpath "$2")
SECONDS_TO_RUN=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp -r "$SEEDS"/. "$WORK/corpus"/ 2>/dev/null || mkdir -p "$WORK/corpus"
cd "$WORK"
status=0
"$FUZZER" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 corpus >fuzz.log 2>&1 || status=$?
grep -E '^stat::(number_of_executed_units|new_units_added)' fuzz.log || true
if [ "$status" -ne 0 ]; then
  # The finding, its input and the sanitizer's report, so the log alone allows a reproduction.
  grep -v -E '^#[0-9]+\s+(NEW|REDUCE|pulse|INITED|RELOAD)' fuzz.log | tail -n 60
  for finding in crash-* leak-* timeout-* oom-*; do
    [ -e "$finding" ] && echo "input $finding (base64): $(base64 -w 0 "$finding")"
  done
  exit 1
fi
