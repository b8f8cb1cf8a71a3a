# scripts/windows.sh, stage tests: sourced by it.
# shellcheck shell=bash

stage_tests() {
  stage_wine
  # One Wine server for the whole run, rather than one started and stopped around each of the
  # hundreds of test processes.
  wineserver -p
  # The session's first program waits while Wine starts its services: that wait is paid here.
  timeout 120 wine cmd /c exit >/dev/null 2>&1 || true
  local status=0
  # Now and then a test process under Wine stalls for a minute or more, in a test that takes
  # seconds on its own: a test that reaches its time limit is run again, once.
  (cd "$BUILD" && ctest --output-on-failure -j "$JOBS" --timeout 120 --repeat after-timeout:2) ||
    status=$?
  wineserver -k || true
  return "$status"
}
