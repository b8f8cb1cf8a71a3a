#!/usr/bin/env bash
# End-to-end on Wayland: the real program on Qt's native Wayland platform, in a headless sway,
# driven by real key presses (wtype) and checked by what the screen shows (grim, ImageMagick) and
# what the compositor reports (swaymsg). wlroots compositors refuse to run as root, so when started
# as root the whole session (compositor, program, tools) runs as the unprivileged user 65534 in a
# directory of its own. Every wait is bounded polling; every process started here is ended on exit.
#
#   wayland.sh LEXARO
set -euo pipefail

if [ "${LEXARO_WAYLAND_SESSION:-}" != 1 ]; then
  WORK=$(mktemp -d)
  chmod 755 "$WORK"
  # The program and this script are copied where the session's user can reach them.
  cp "$(realpath "$1")" "$WORK/lexaro"
  cp "$(realpath "$0")" "$WORK/wayland.sh"
  cp "$(dirname "$(realpath "$0")")/checks.sh" "$WORK/checks.sh"
  # A sanitizer build's leak check reads its suppressions file at exit and aborts the program
  # (status 134) when it cannot: the session's user may have no way into the tree that LSAN_OPTIONS
  # points at (a clone under a private folder), so the file goes along with the program.
  if [[ "${LSAN_OPTIONS:-}" =~ (^|:)suppressions=([^:]+) ]]; then
    cp "${BASH_REMATCH[2]}" "$WORK/lsan.supp"
    LSAN_OPTIONS=${LSAN_OPTIONS/suppressions=${BASH_REMATCH[2]}/suppressions=$WORK/lsan.supp}
  fi
  RUN_AS=()
  if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$WORK"
    RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  STATUS=0
  "${RUN_AS[@]}" env -u DISPLAY -u XAUTHORITY -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY \
    LEXARO_WAYLAND_SESSION=1 HOME="$WORK/home" "$WORK/wayland.sh" "$WORK" || STATUS=$?
  if [ -n "${LEXARO_E2E_ARTIFACTS:-}" ]; then
    mkdir -p "$LEXARO_E2E_ARTIFACTS" && cp "$WORK"/*.png "$WORK"/*.log "$LEXARO_E2E_ARTIFACTS"/ 2>/dev/null || true
  fi
  if [ "$STATUS" -eq 0 ]; then
    rm -rf "$WORK"
  else
    echo "The logs and screenshots are kept in $WORK"
  fi
  exit "$STATUS"
fi

WORK=$1
cd "$WORK"
mkdir -p home
export XDG_RUNTIME_DIR="$WORK/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# shellcheck source=tests/e2e/checks.sh
source "$WORK/checks.sh"
APP_PID=""
SWAY_PID=""
cleanup() {
  local status=$?
  show_logs_if_failed "$status"
  for pid in "$APP_PID" "$SWAY_PID"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
}
trap cleanup EXIT

screenshot() { grim "$1"; }

cat >sway.conf <<'CONF'
output HEADLESS-1 resolution 1280x1024 position 0 0
xwayland disable
CONF
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c sway.conf \
  >sway.log 2>&1 &
SWAY_PID=$!
sway_ready() { compgen -G "$XDG_RUNTIME_DIR/wayland-*.lock" >/dev/null && compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" >/dev/null; }
if ! wait_for 15 sway_ready; then
  echo "sway did not start:"
  cat sway.log
  exit 1
fi
WAYLAND_DISPLAY=$(basename "$(compgen -G "$XDG_RUNTIME_DIR/wayland-*.lock")" .lock)
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock")
export WAYLAND_DISPLAY SWAYSOCK

# A window's content area as "X Y WIDTH HEIGHT FOCUSED", from the compositor's tree; nothing when
# no window has that title.
window() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(node):
    if node.get("name") == sys.argv[1] and node.get("pid"):
        r, w = node["rect"], node["window_rect"]
        print(r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"], int(node["focused"]))
        sys.exit(0)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$1"
}
window_shown() { [ -n "$(window "$1")" ]; }
window_gone() { ! window_shown "$1"; }
focused() { [ "$(window "$1" | cut -d' ' -f5)" = 1 ]; }
focus() { swaymsg "[title=\"^$1\$\"] focus" >/dev/null; }
# wtype's virtual keyboard lives only while wtype runs: keys that depend on each other (a menu
# and its item) go in one call, and each call waits before its first key so that it arrives.
keys() { wtype -s 300 "$@"; }
# A key chord with Alt now and then reaches a busy program without its Alt (seen under a sanitizer
# build beside a full build): the keys again, while CHECK fails after 10 s, three times at most.
# Each chord here is harmless when it comes twice (a modal window or an ending program ignores it),
# and each is meant for the main window.
#   keys_until CHECK ARG... -- WTYPE-ARG...
keys_until() {
  local check=()
  while [ "$1" != -- ]; do check+=("$1"); shift; done
  shift
  local try
  for try in 1 2 3; do
    keys "$@"
    if wait_for 10 "${check[@]}"; then return 0; fi
    echo "   (no effect of the keys $* after 10 s, try $try)"
    focus "$MAIN" # the compositor hands the window its keyboard afresh
  done
  return 1
}

count_colour() { # X Y W H R,G,B: how many pixels of the rectangle have the colour
  grim -g "$1,$2 $3x$4" "$WORK/region.png"
  convert "$WORK/region.png" -alpha off -fill black +opaque "rgb($5)" -fill white \
    -opaque "rgb($5)" -format '%[fx:round(mean*w*h)]' info:
}
ink_height() { # X Y W H R,G,B: height of what is painted in that colour
  grim -g "$1,$2 $3x$4" "$WORK/region.png"
  convert "$WORK/region.png" -alpha off -fill black +opaque "rgb($5)" -trim -format '%h' info:
}
all_black() { # X Y W H
  grim -g "$1,$2 $3x$4" "$WORK/region.png"
  [ "$(convert "$WORK/region.png" -alpha off -fill white +opaque black \
    -format '%[fx:round(mean*w*h)]' info:)" -eq 0 ]
}
at_least() { [ "$(count_colour "$1" "$2" "$3" "$4" "$5")" -ge "$6" ]; }
none_of() { [ "$(count_colour "$1" "$2" "$3" "$4" "$5")" -eq 0 ]; }

WHITE=192,192,192 # palette 7
# How long a key's effect may take to show. A sanitizer build on a machine busy with a build takes
# seconds to open a window; the waits poll, so a generous bound costs a passing run nothing.
WAIT=20
MAIN="Lexaro v1.1 Build 319"

step "The main window appears on Qt's Wayland platform"
QT_QPA_PLATFORM=wayland "$WORK/lexaro" >lexaro.log 2>&1 &
APP_PID=$!
expect "window appears" wait_for 15 window_shown "$MAIN"
read -r X Y WIDTH HEIGHT _ <<<"$(window "$MAIN")"
MENU=$((HEIGHT - 450))
expect "client area 634 x 450 under a menu bar (window ${WIDTH}x${HEIGHT})" \
  test "$WIDTH" -eq 634 -a "$MENU" -ge 10 -a "$MENU" -le 40
BAND_X=$((X + 8)) BAND_Y=$((Y + MENU + 56)) BAND_W=617 BAND_H=185
band_has_word() { at_least "$BAND_X" "$BAND_Y" "$BAND_W" "$BAND_H" "$WHITE" 40; }
band_is_empty() { none_of "$BAND_X" "$BAND_Y" "$BAND_W" "$BAND_H" "$WHITE"; }
focus "$MAIN"
expect "it has the focus" wait_for "$WAIT" focused "$MAIN"

step "Enter reads words into the band; Esc clears it"
keys -k Return
expect "a word appears" wait_for "$WAIT" band_has_word
keys -k Escape
expect "Esc clears the band" wait_for "$WAIT" band_is_empty

step "The full-screen view opens over the main window, three times larger; a key closes it"
keys -k Return
expect "reading" wait_for "$WAIT" band_has_word
expect "full-screen window appears" keys_until window_shown "Form1" -- -M alt -k v -m alt -s 400 -k f
read -r FX FY FW FH _ <<<"$(window "Form1")"
expect "1024 x 768 (got ${FW}x${FH})" test "$FW" -eq 1024 -a "$FH" -eq 768
expect "over the whole main window" \
  test "$FX" -le "$X" -a "$FY" -le "$Y" -a $((FX + FW)) -ge $((X + WIDTH)) -a $((FY + FH)) -ge $((Y + HEIGHT))
expect "it has the focus" wait_for "$WAIT" focused "Form1"
# The compositor lists a window a little before the screen shows it: the strip above the label
# turns black once the view is drawn.
expect "it is drawn" wait_for "$WAIT" all_black "$FX" "$FY" 1024 130
expect "a word" wait_for "$WAIT" at_least "$FX" $((FY + 136)) 1024 513 "$WHITE" 500
LARGE=$(ink_height "$FX" $((FY + 136)) 1024 513 "$WHITE")
expect "at three times the size ($LARGE px tall)" test "$LARGE" -ge 100
# The headless compositor has no pointer device, so there is no pointer to see hidden here; the
# X11 suite checks it.
keys -k Delete -k Right
sleep 0.5
expect "Delete and an arrow leave it open" window_shown "Form1"
keys -k space
expect "Space closes it" wait_for "$WAIT" window_gone "Form1"
main_window_seen() { ! all_black "$X" "$Y" "$WIDTH" "$MENU"; }
expect "the main window is seen again" wait_for "$WAIT" main_window_seen
focus "$MAIN"
keys -k Escape
expect "Esc stops the reading" wait_for "$WAIT" band_is_empty

step "The About window opens and Esc closes it"
expect "About appears" keys_until window_shown "About Lexaro" -- -M alt -k a -m alt
expect "it has the focus" wait_for "$WAIT" focused "About Lexaro"
keys -k Escape
expect "Esc closes it" wait_for "$WAIT" window_gone "About Lexaro"

step "Exit ends the program"
focus "$MAIN"
expect "the program ends" keys_until sh -c "! kill -0 $APP_PID 2>/dev/null" -- -M alt -k x -m alt
STATUS=0
kill "$APP_PID" 2>/dev/null || true # still running, the check above failed: never wait for ever
wait "$APP_PID" || STATUS=$?
expect "with status 0 (got $STATUS)" test "$STATUS" -eq 0

printf '\n%d passed, %d failed\n' "$PASSED" "$FAILED"
[ "$FAILED" -eq 0 ]
