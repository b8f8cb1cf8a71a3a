# Shared by the end-to-end suites: counting checks and bounded waits.
# The sourcing script defines `screenshot FILE`, which keeps the screen of a failed check, and WORK.
# shellcheck shell=bash

PASSED=0
FAILED=0
step() { printf '\n== %s\n' "$*"; }
ok() { PASSED=$((PASSED + 1)); printf '   ok: %s\n' "$*"; }
bad() {
  FAILED=$((FAILED + 1))
  printf '   FAILED: %s\n' "$*"
  screenshot "$WORK/failure-$FAILED.png" 2>/dev/null || true
}
expect() { # description, command...
  local what=$1
  shift
  if "$@"; then ok "$what"; else bad "$what"; fi
}

# After a failed check or run (exit status $1), the end of every log in WORK: what the program
# said is gone with WORK otherwise.
show_logs_if_failed() {
  if [ "$FAILED" -eq 0 ] && [ "${1:-0}" -eq 0 ]; then return 0; fi
  local log
  for log in "$WORK"/*.log; do
    [ -f "$log" ] || continue
    printf '\n--- %s (last 40 lines)\n' "$log"
    tail -n 40 "$log"
  done
}

# wait_for SECONDS COMMAND...: polls every 0.1 s until COMMAND succeeds or time runs out.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}
