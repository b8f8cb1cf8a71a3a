# scripts/windows.sh, stage smoke: sourced by it.
# shellcheck shell=bash

# The real Lexaro.exe under Wine on a virtual display, as a user meets it. Each check's screenshot
# is kept in build/windows/smoke (or build/windows/install for the installed copy).
# The checks and bounded waits are the end-to-end suite's (expect, wait_for, step); a failed
# check keeps a screenshot in WORK, the folder of the run in progress.
# shellcheck source=tests/e2e/checks.sh
. "$ROOT/tests/e2e/checks.sh"
screenshot() { import -window root "$1"; }

# A virtual display of its own for the run; DISPLAY points at it until display_stop.
display_start() { # log
  local fd display
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1280x900x24 -noreset >"$1" 2>&1 &
  XVFB=$!
  read -r -t 20 display <&"$fd" || { echo "Xvfb did not start"; return 1; }
  export DISPLAY=:$display
}
display_stop() { kill "$XVFB" 2>/dev/null || true; }

# Lexaro under Wine: `app_start OUT COMMAND...` starts it (APP is its process), `app_window` waits
# for its window (WINDOW, WIN_X, WIN_Y, WIDTH) and `app_exit` ends it with Exit (Alt+X) and checks
# its status.
app_start() {
  local out=$1
  shift
  "$@" >>"$out/lexaro.log" 2>&1 &
  APP=$!
}
find_window() { WINDOW=$(xdotool search --name '^Lexaro v' 2>/dev/null | head -1) && [ -n "$WINDOW" ]; }
app_window() {
  WINDOW=""
  wait_for 90 find_window || return 1
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  WIN_X=$X WIN_Y=$Y
  xdotool windowfocus "$WINDOW"
}
app_gone() { ! kill -0 "$APP" 2>/dev/null; }
app_exit() {
  local status=0
  [ -z "$WINDOW" ] || xdotool windowfocus "$WINDOW" key alt+x
  wait_for 30 app_gone || kill "$APP"
  wait "$APP" || status=$?
  expect "Exit ends it with status 0 (got $status)" test "$status" = 0
}

# The brightest channel in the middle of the band (0 when it is all black), from a screenshot.
band_brightness() {
  convert "$1" -crop "550x140+$((WIN_X + 30))+$((WIN_Y + 100))" +repage -format '%[fx:maxima]' info:
}
band_lit() { [ "$(band_brightness "$1")" != 0 ]; }
band_dark() { [ "$(band_brightness "$1")" = 0 ]; }

# What the window's text box holds, through the clipboard (Wine hands it to X): a click in the box,
# Select All, Copy.
clipboard_changed() { [ "$(xclip -o -selection clipboard 2>/dev/null)" != lexaro-marker ]; }
box_text() {
  printf lexaro-marker | xclip -selection clipboard >/dev/null 2>&1
  xdotool mousemove --window "$WINDOW" 450 420 click 1 sleep 0.3 key ctrl+a ctrl+c
  wait_for 5 clipboard_changed && xclip -o -selection clipboard
}
box_holds() { # screenshot (taken once it does), text
  [ "$(box_text | tr -d '\r' | sed '/^$/d')" = "$2" ] && import -window root "$1"
}
box_starts() { # screenshot (taken once it does), text
  box_text | tr -d '\r' | sed '/^$/d' | head -1 | grep -qF "$2" && import -window root "$1"
}
# The text of the message box on show (Windows copies a message box's text on Ctrl+C).
message_says() { # screenshot, text
  local box
  box=$(xdotool search --name '^prjLexaro$' 2>/dev/null | head -1)
  [ -n "$box" ] || return 1
  import -window root "$1"
  printf lexaro-marker | xclip -selection clipboard >/dev/null 2>&1
  xdotool windowfocus "$box" sleep 0.3 key ctrl+c
  wait_for 5 clipboard_changed && xclip -o -selection clipboard | tr -d '\r' | grep -qxF "$2" &&
    xdotool key Return
}

# A small EPUB, and the same cut in half.
make_books() { # folder
  python3 - "$1" <<'PY'
import sys, zipfile
folder = sys.argv[1]
with zipfile.ZipFile(folder + "/book.epub", "w") as book:
    book.writestr(zipfile.ZipInfo("mimetype"), "application/epub+zip")
    book.writestr("META-INF/container.xml", '<?xml version="1.0"?><container version="1.0" '
        'xmlns="urn:oasis:names:tc:opendocument:xmlns:container"><rootfiles><rootfile '
        'full-path="book.opf" media-type="application/oebps-package+xml"/></rootfiles></container>')
    book.writestr("book.opf", '<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" '
        'version="3.0" unique-identifier="id"><metadata xmlns:dc="http://purl.org/dc/elements/1.1/">'
        '<dc:identifier id="id">book</dc:identifier><dc:title>Book</dc:title><dc:language>en'
        '</dc:language></metadata><manifest><item id="c1" href="c1.xhtml" '
        'media-type="application/xhtml+xml"/></manifest><spine><itemref idref="c1"/></spine></package>')
    book.writestr("c1.xhtml", '<?xml version="1.0" encoding="utf-8"?><html '
        'xmlns="http://www.w3.org/1999/xhtml"><head><title>One</title></head><body>'
        '<p>Call me Ishmael.</p><p>Some years ago, never mind how long.</p></body></html>')
whole = open(folder + "/book.epub", "rb").read()
open(folder + "/damaged.epub", "wb").write(whole[: len(whole) // 2])
PY
}
BOOK_TEXT=$'Call me Ishmael.\nSome years ago, never mind how long.'
DAMAGED_MESSAGE="The document could not be read (it is damaged)."

stage_smoke() {
  stage_wine
  local out=$BUILD/smoke failed_before=$FAILED
  rm -rf "$out"
  mkdir -p "$out"
  WORK=$out
  make_books "$out"
  display_start "$out/xvfb.log"
  step "smoke: Lexaro.exe on display $DISPLAY"
  app_start "$out" "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows
  expect "the window appears" app_window
  if [ -n "$WINDOW" ]; then
    import -window root "$out/1-window.png"
    expect "it is 634 pixels wide (got $WIDTH x $HEIGHT)" test "$WIDTH" = 634
    xdotool key Return
    shot_lit() { import -window root "$out/2-reading.png" && band_lit "$out/2-reading.png"; }
    expect "Enter reads words into the band" wait_for 10 shot_lit
    xdotool key Escape
    shot_dark() { import -window root "$out/3-stopped.png" && band_dark "$out/3-stopped.png"; }
    expect "Esc stops and clears the band" wait_for 10 shot_dark
  fi
  app_exit

  # A name beyond any one code page: it reaches the helper as UTF-16.
  local book="$out/livre été 书 ספר.epub"
  cp "$out/book.epub" "$book"
  app_start "$out" "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows "$(winepath -w "$book")"
  expect "Lexaro.exe \"${book##*/}\": the window appears" app_window
  expect "the book's text is in the box (the helper ran)" wait_for 30 box_holds "$out/4-book.png" \
    "$BOOK_TEXT"
  app_exit

  app_start "$out" "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows \
    "$(winepath -w "$out/damaged.epub")"
  expect "Lexaro.exe damaged.epub: the window appears" app_window
  expect "a message gives the reason" wait_for 30 message_says "$out/5-damaged.png" "$DAMAGED_MESSAGE"
  expect "the box keeps the welcome text" wait_for 10 box_starts "$out/6-kept.png" "Welcome to Lexaro"
  app_exit
  display_stop
  [ "$FAILED" = "$failed_before" ] || { echo "screenshots and logs: $out"; return 1; }
}
