#!/usr/bin/env bash
# The window through the screen-reader path: the real program on Xvfb, with a D-Bus session and
# the AT-SPI accessibility bus, queried by tests/e2e/accessibility_check.py. Every process started
# here is ended on exit.
#
#   accessibility.sh LEXARO
set -euo pipefail

LEXARO=$(realpath "$1")
HERE=$(dirname "$(realpath "$0")")

if [ "${LEXARO_A11Y_SESSION_READY:-}" != 1 ]; then
  export LEXARO_A11Y_SESSION_READY=1
  exec "$HERE/with_xvfb.sh" dbus-run-session -- "$0" "$@"
fi

APP_PID=""
cleanup() {
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# The accessibility bus is started before the program, which then registers on it at once.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$LEXARO" &
APP_PID=$!

# Debian's own Python, where python3-pyatspi lives.
STATUS=0
/usr/bin/python3 "$HERE/accessibility_check.py" || STATUS=$?

# Exit, pressed through AT-SPI, ends the program.
for _ in $(seq 50); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$APP_PID" 2>/dev/null; then
  echo "   FAILED: Exit pressed through AT-SPI did not end the program"
  STATUS=1
else
  echo "   ok: Exit pressed through AT-SPI ends the program"
fi
exit "$STATUS"
