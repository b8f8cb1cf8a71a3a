#!/usr/bin/env bash
# End-to-end: the real program on a real X server (Xvfb), driven only by real key presses and
# clicks (xdotool), checked by what the screen shows (ImageMagick) and what the clipboard holds.
# Every wait is bounded polling; every process started here is ended on exit.
#
#   e2e.sh LEXARO CURSOR_PROBE MAKE_FIXTURE
set -euo pipefail

LEXARO=$(realpath "$1")
PROBE=$(realpath "$2")
MAKE_FIXTURE=$(realpath "$3")

if [ "${LEXARO_E2E_DISPLAY_READY:-}" != 1 ]; then
  export LEXARO_E2E_DISPLAY_READY=1
  exec "$(dirname "$(realpath "$0")")/with_xvfb.sh" "$0" "$@"
fi

WORK=$(mktemp -d)
# shellcheck source=tests/e2e/checks.sh
source "$(dirname "$(realpath "$0")")/checks.sh"
APP_PID=""
cleanup() {
  local status=$?
  show_logs_if_failed "$status"
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill "$APP_PID" 2>/dev/null || true
    wait "$APP_PID" 2>/dev/null || true
  fi
  if [ -n "${LEXARO_E2E_ARTIFACTS:-}" ]; then
    mkdir -p "$LEXARO_E2E_ARTIFACTS" && cp -r "$WORK"/. "$LEXARO_E2E_ARTIFACTS"/ 2>/dev/null || true
  fi
  if [ "$FAILED" -eq 0 ] && [ "$status" -eq 0 ]; then
    rm -rf "$WORK"
  else
    echo "The logs and screenshots are kept in $WORK"
  fi
}
trap cleanup EXIT

screenshot() { import -window root "$1"; }

window_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(window_id "$1")" ]; }
window_gone() { ! window_shown "$1"; }
focus() { xdotool windowfocus --sync "$(window_id "$1")"; }
keys() { xdotool key --delay 40 "$@"; }

# Screen pixels: the colour at a point, and how many pixels of a rectangle have a colour.
pixel() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\)[,)].*/\1,\2,\3/p'
}
count_colour() { # X Y W H R,G,B
  import -window root -crop "$3x$4+$1+$2" +repage "$WORK/region.png"
  convert "$WORK/region.png" -alpha off -fill black +opaque "rgb($5)" -fill white \
    -opaque "rgb($5)" -format '%[fx:round(mean*w*h)]' info:
}
ink_height() { # X Y W H R,G,B: height of what is painted in that colour
  import -window root -crop "$3x$4+$1+$2" +repage "$WORK/region.png"
  convert "$WORK/region.png" -alpha off -fill black +opaque "rgb($5)" -trim -format '%h' info:
}
pixel_is() { [ "$(pixel "$1" "$2")" = "$3" ]; }
at_least() { [ "$(count_colour "$1" "$2" "$3" "$4" "$5")" -ge "$6" ]; }
none_of() { [ "$(count_colour "$1" "$2" "$3" "$4" "$5")" -eq 0 ]; }

# The text box's text, copied through the clipboard. A marker is put there first, so the copy is
# known to have arrived when the marker is gone (polled for up to 5 s; a busy machine takes a
# while). An empty box copies nothing: then the result is empty.
CLIPBOARD_MARKER="lexaro-e2e: nothing copied yet"
clipboard_changed() { [ "$(xclip -o -selection clipboard 2>/dev/null)" != "$CLIPBOARD_MARKER" ]; }
clipboard_of_text_box() {
  printf "%s" "$CLIPBOARD_MARKER" | xclip -i -selection clipboard >/dev/null 2>&1
  xdotool mousemove "$BOX_X" "$BOX_Y" click 1
  keys ctrl+a ctrl+c
  if wait_for 5 clipboard_changed; then
    xclip -o -selection clipboard 2>/dev/null || true
  fi
}
# The load runs off the window's thread and may still be going: poll (up to 15 s), then check
# what the box held last, so that a failure says what it was.
box_text_is() {
  BOX_TEXT=$(clipboard_of_text_box)
  [ "$BOX_TEXT" = "$1" ]
}
expect_box_text() { # description, expected text
  wait_for 15 box_text_is "$2" || true
  expect "$1 (got: ${BOX_TEXT:0:40})" test "$BOX_TEXT" = "$2"
}

WHITE=192,192,192 # palette 7
MAIN="Lexaro v1.1 Build 319"

# The program runs with a home of its own, which must still be empty at the end: it writes no
# files, not even the open dialog's history.
LEXARO_HOME="$WORK/home"
mkdir -p "$LEXARO_HOME"
lexaro() { HOME="$LEXARO_HOME" XDG_CONFIG_HOME="$LEXARO_HOME/.config" "$LEXARO" "$@"; }

step "The main window appears with its title and size"
lexaro >"$WORK/lexaro.log" 2>&1 &
APP_PID=$!
expect "window appears" wait_for 15 window_shown "$MAIN"
eval "$(xdotool getwindowgeometry --shell "$(window_id "$MAIN")")"
MENU=$((HEIGHT - 450))
expect "client area 634 x 450 under a menu bar (window ${WIDTH}x${HEIGHT})" \
  test "$WIDTH" -eq 634 -a "$MENU" -ge 10 -a "$MENU" -le 40
# The display band: client (8, 56), 617 x 185. The text box: client (304, 328), 297 x 89.
BAND_X=$((X + 8)) BAND_Y=$((Y + MENU + 56)) BAND_W=617 BAND_H=185
BAND_BG_X=$((BAND_X + 5)) BAND_BG_Y=$((BAND_Y + BAND_H - 5))
BOX_X=$((X + 304 + 140)) BOX_Y=$((Y + MENU + 328 + 40))
band_has_word() { at_least "$BAND_X" "$BAND_Y" "$BAND_W" "$BAND_H" "$1" 40; }
band_is_empty() { none_of "$BAND_X" "$BAND_Y" "$BAND_W" "$BAND_H" "$WHITE"; }
focus "$MAIN"

step "Enter reads words into the band in palette 7 on palette 0; Esc clears it"
keys Return
expect "a word appears" wait_for 5 band_has_word "$WHITE"
expect "on black" pixel_is "$BAND_BG_X" "$BAND_BG_Y" 0,0,0
keys Escape
expect "Esc clears the band" wait_for 5 band_is_empty

step "The colour lists, reached and changed by keyboard, recolour the band"
keys Tab Tab Tab Tab Tab Down # Start, size bar, full screen, text colour, background colour
expect "background Blue" wait_for 5 pixel_is "$BAND_BG_X" "$BAND_BG_Y" 0,0,128
keys shift+Tab Down # text colour: White -> Gray
keys alt+s
expect "text in Gray while reading" wait_for 5 band_has_word 128,128,128
keys Escape
keys Up Tab Up # text colour back to White, background back to Black
expect "background Black again" wait_for 5 pixel_is "$BAND_BG_X" "$BAND_BG_Y" 0,0,0

step "Access keys reach their buttons"
keys alt+s
expect "Alt+S starts" wait_for 5 band_has_word "$WHITE"
keys alt+p
# Paused, the word stays longer than any word of a reading does (at 120 wpm a word and its two
# hold ticks after a full stop last 1.5 s). Polled, since a busy machine may take a moment to act
# on the key.
band_stays() {
  import -window root -crop "${BAND_W}x${BAND_H}+$BAND_X+$BAND_Y" "$WORK/paused-1.png"
  sleep 2
  import -window root -crop "${BAND_W}x${BAND_H}+$BAND_X+$BAND_Y" "$WORK/paused-2.png"
  test "$(compare -metric AE "$WORK/paused-1.png" "$WORK/paused-2.png" null: 2>&1)" = 0
}
expect "Alt+P pauses: the word stays" wait_for 10 band_stays
keys Escape
expect "Esc stops" wait_for 5 band_is_empty

step "View > Text Size > Increase at the largest size shows the message"
for _ in 1 2 3 4 5 6 7; do keys alt+v t i; done # 60 -> 116
keys alt+v t i
expect "message box appears" wait_for 5 window_shown "Lexaro"
focus "Lexaro"
keys Return
expect "OK closes it" wait_for 5 window_gone "Lexaro"
focus "$MAIN"
keys alt+v t n

step "Full screen shows the word three times larger, hides the pointer, and a key closes it"
keys Return
expect "reading" wait_for 5 band_has_word "$WHITE"
xdotool mousemove 640 512
keys alt+v f
expect "full-screen window appears" wait_for 5 window_shown "Form1"
FS_X=128 FS_Y=$((128 + 136)) # centred 1024 x 768 window; its label starts 136 px down
expect "a word" wait_for 5 at_least "$FS_X" "$FS_Y" 1024 513 "$WHITE" 500
# At 60 points no word of the welcome text stands taller than about 75 px; at 180 points even a
# word of small letters only is about 125 px tall.
LARGE=$(ink_height "$FS_X" "$FS_Y" 1024 513 "$WHITE")
expect "at three times the size ($LARGE px tall)" test "$LARGE" -ge 100
expect "the pointer is hidden" test "$("$PROBE")" = hidden
focus "Form1"
keys Delete alt+q Right F5
sleep 0.5
expect "Delete, Alt+Q, an arrow and F5 type nothing and leave it open" window_shown "Form1"
keys space
expect "Space closes it" wait_for 5 window_gone "Form1"
expect "the pointer is back" wait_for 5 test "$("$PROBE")" = visible
focus "$MAIN"
keys Escape

step "The About window opens and Esc closes it"
keys alt+a
expect "About appears" wait_for 5 window_shown "About Lexaro"
focus "About Lexaro"
keys Escape
expect "Esc closes it" wait_for 5 window_gone "About Lexaro"

step "Load Text from File through the real open dialog"
printf 'Loaded, words here\r\nsecond line\r\n' >"$WORK/book.txt"
focus "$MAIN"
keys alt+l
expect "the Open dialog appears" wait_for 5 window_shown "Open"
focus "Open"
xdotool type --delay 20 "$WORK/book.txt"
keys Return
expect "the dialog closes" wait_for 5 window_gone "Open"
focus "$MAIN"
LOADED=$'\nLoaded, words here\nsecond line'
expect_box_text "the text is the file's" "$LOADED"

keys alt+l
expect "the Open dialog appears again" wait_for 5 window_shown "Open"
focus "Open"
keys ctrl+a
xdotool type --delay 20 "$WORK/missing.txt"
keys Return
expect "the error message appears" wait_for 5 window_shown "prjLexaro"
focus "prjLexaro"
keys Return
expect "OK closes it" wait_for 5 window_gone "prjLexaro"
focus "$MAIN"
expect_box_text "the text is kept" "$LOADED"

step "A slow load shows its progress dialog, and Esc there cancels it and keeps the text"
head -c 150000000 /dev/zero | tr '\0' 'w' | fold -w 1000 >"$WORK/huge.txt"  # within the line limits: slow, not refused
focus "$MAIN"
keys alt+l
expect "the Open dialog appears" wait_for 5 window_shown "Open"
focus "Open"
keys ctrl+a
xdotool type --delay 20 "$WORK/huge.txt"
keys Return
expect "the progress dialog appears" wait_for 10 window_shown "Lexaro"
focus "Lexaro"
keys Escape
expect "Esc closes it" wait_for 10 window_gone "Lexaro"
focus "$MAIN"
expect_box_text "the text is kept" "$LOADED"
expect "no message followed" window_gone "prjLexaro"

step "Exit ends the program"
focus "$MAIN"
keys alt+x
expect "the program ends" wait_for 5 sh -c "! kill -0 $APP_PID 2>/dev/null"
# A sanitizer build ends with a report and a non-zero status on any leak or error.
STATUS=0
wait "$APP_PID" || STATUS=$?
expect "with status 0 (got $STATUS)" test "$STATUS" -eq 0

step "A book named on the command line is in the box once the window is up"
"$MAKE_FIXTURE" epub "$WORK/book.epub"
"$LEXARO" "$WORK/book.epub" >"$WORK/lexaro-book.log" 2>&1 &
APP_PID=$!
expect "window appears" wait_for 15 window_shown "$MAIN"
focus "$MAIN"
book_loaded() { [ "$(clipboard_of_text_box)" = "$("$MAKE_FIXTURE" epub-text)" ]; }
expect "the book's text is in the box" wait_for 10 book_loaded
keys Return
expect "and reads" wait_for 5 band_has_word "$WHITE"
keys Escape alt+x
expect "the program ends" wait_for 5 sh -c "! kill -0 $APP_PID 2>/dev/null"

step "Text piped to 'lexaro -' is in the box, decoded as a text file is"
# Windows-1252 bytes: the same decoding as a loaded text file, and the same line break before it.
printf 'Piped caf\xe9 text, one word at a time.\r\nSecond line.' |
  lexaro - >"$WORK/lexaro-pipe.log" 2>&1 &
APP_PID=$!
expect "window appears" wait_for 15 window_shown "$MAIN"
focus "$MAIN"
expect_box_text "the piped text is in the box" "$(printf '\nPiped caf\xc3\xa9 text, one word at a time.\nSecond line.')"
keys Return
expect "and reads" wait_for 5 band_has_word "$WHITE"
keys Escape alt+x
expect "the program ends" wait_for 5 sh -c "! kill -0 $APP_PID 2>/dev/null"

step "At twice the scale the fixed layout scales with it"
QT_SCALE_FACTOR=2 lexaro >"$WORK/lexaro-scaled.log" 2>&1 &
APP_PID=$!
expect "window appears" wait_for 15 window_shown "$MAIN"
eval "$(xdotool getwindowgeometry --shell "$(window_id "$MAIN")")"
expect "twice as wide (${WIDTH} px)" test "$WIDTH" -eq 1268
SCALED_MENU=$((HEIGHT - 900))
expect "twice as tall below the menu bar (${HEIGHT} px)" test "$SCALED_MENU" -ge 20 -a "$SCALED_MENU" -le 80
focus "$MAIN"
keys Return
expect "words appear in the scaled band" wait_for 5 at_least $((X + 16)) $((Y + SCALED_MENU + 112)) 1234 370 "$WHITE" 100
keys alt+x
expect "the program ends" wait_for 5 sh -c "! kill -0 $APP_PID 2>/dev/null"

step "Nothing was written"
WRITTEN=$(find "$LEXARO_HOME" -mindepth 1 | sed "s|^$LEXARO_HOME/||" | tr '\n' ' ')
expect "the program's home is still empty (found: ${WRITTEN:-nothing})" test -z "$WRITTEN"

printf '\n%d passed, %d failed\n' "$PASSED" "$FAILED"
[ "$FAILED" -eq 0 ]
