#!/usr/bin/env bash
# Runs COMMAND on an Xvfb of its own and ends the server afterwards; exits with COMMAND's status.
#
#   with_xvfb.sh COMMAND [ARGUMENT...]
#
# The server picks a free display number itself and reports it once it accepts connections
# (-displayfd), so two runs never collide and nothing starts before the server is ready. -noreset:
# Xvfb otherwise resets whenever its last client leaves and refuses whoever connects meanwhile,
# such as the next program a check starts.
set -euo pipefail

LOG=$(mktemp)
NUMBER=$(mktemp -u)
mkfifo "$NUMBER"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$NUMBER" 2>"$LOG" &
XVFB=$!
cleanup() {
  kill "$XVFB" 2>/dev/null || true
  wait "$XVFB" 2>/dev/null || true
  rm -f "$NUMBER" "$LOG"
}
trap cleanup EXIT

DISPLAY_NUMBER=""
read -r -t 30 DISPLAY_NUMBER <"$NUMBER" || true
if [ -z "$DISPLAY_NUMBER" ]; then
  echo "Xvfb did not start:" >&2
  cat "$LOG" >&2
  exit 1
fi
export DISPLAY=":$DISPLAY_NUMBER"
unset XAUTHORITY WAYLAND_DISPLAY
STATUS=0
"$@" || STATUS=$?
exit "$STATUS"
