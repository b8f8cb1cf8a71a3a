#!/usr/bin/env bash
# Runs every benchmark of a build and prints its figures.
#
#   bench/run_all.sh BUILD_DIR           full runs (several minutes; the 60 wpm pace alone takes 10)
#   bench/run_all.sh BUILD_DIR --quick   each once with tiny counts, to show that they still run
#
# The pace and start-up harnesses run on Qt's offscreen platform and, where Xvfb exists, on a
# real X server too (the pace there with the full-screen view open).
set -euo pipefail
BUILD=$(realpath "$1")
QUICK=${2:-}
BIN="$BUILD/bench"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

have_x() { command -v Xvfb >/dev/null; }
on_x() { QT_QPA_PLATFORM=xcb "$(dirname "$(realpath "$0")")/../tests/e2e/with_xvfb.sh" "$@"; }

if [ "$QUICK" = --quick ]; then
  GB=(--benchmark_min_time=0.001 --benchmark_repetitions=1)
  PASSED=0
  FAILED=0
  run() { # each program once; a failure is counted and the others still run
    if "$@"; then PASSED=$((PASSED + 1)); else FAILED=$((FAILED + 1)) && echo "FAILED: $*"; fi
  }
  run "$BIN/lexaro_bench_stepper" "${GB[@]}" --benchmark_filter='/1024$'
  run "$BIN/lexaro_bench_tick" "${GB[@]}" --benchmark_filter='Tick.*/1024$|Keystroke/1024'
  run "$BIN/lexaro_bench_load" "${GB[@]}" --benchmark_filter='/1048576($|/)'
  run "$BIN/lexaro_bench_documents" "${GB[@]}" --benchmark_filter='Epub'
  run "$BIN/lexaro_pace_harness" --ticks 10 --wpm 1800
  run "$BIN/lexaro_startup_harness" "$(date +%s%N)"
  run "$BIN/lexaro_startup_harness" "$(date +%s%N)" --bare
  head -c 1000000 /dev/zero | tr '\0' 'x' >"$WORK/line.txt"
  run "$BIN/lexaro_stall_meter" load "$WORK/line.txt"
  echo "$PASSED passed, $FAILED failed"
  [ "$FAILED" -eq 0 ]
  exit
fi

echo "== Engine: one StepWord call, and the CR LF rebuild after an edit"
"$BIN/lexaro_bench_stepper"
echo "== One whole tick (offscreen); Keystroke: one typed character"
"$BIN/lexaro_bench_tick" --benchmark_min_time=1
echo "== Loading a text file"
"$BIN/lexaro_bench_load" --benchmark_filter='ReadOnly'
for size in 1048576 10485760 104857600; do # one process each, so the peak memory is its own
  for how in LoadOnWindowThread LoadIntoTextBox LoadWhileReading; do
    "$BIN/lexaro_bench_load" --benchmark_filter="$how/$size/"
  done
done

echo "== Loading documents through the helper (one process each, so the peak memory is its own)"
for doc in NovelEpub ThreeHundredPagePdf; do
  "$BIN/lexaro_bench_documents" --benchmark_filter="^BM_$doc"
done
echo "== The helper from start to exit, with and without its lock-down, in turns"
"$BIN/lexaro_bench_documents" --benchmark_filter=LockDownCost
echo "== Scanned pages: the helper against the tesseract command, and what each reads right"
"$BIN/lexaro_ocr_bench" 8

echo "== The whole PDF path against pdftotext, on the shared corpus's PDFs where it is beside the project"
CORPUS=$(dirname "$(realpath "$0")")/../../shared/corpus/pdf
if [ -d "$CORPUS" ] && command -v pdftotext >/dev/null; then
  "$(dirname "$(realpath "$0")")/pdf_speed.sh" "$BUILD/lexaro-extract" "$CORPUS"/*.pdf
else
  echo "(no corpus at $CORPUS, or no pdftotext: skipped)"
fi

echo "== Start-up to first paint and to idle, 11 runs each, then with a 10 MB file loaded"
echo "   (--bare: a bare Qt window with the same controls, the floor)"
head -c 10485760 /dev/urandom | base64 -w 76 >"$WORK/ten.txt"
for i in $(seq 11); do "$BIN/lexaro_startup_harness" "$(date +%s%N)"; done
for i in $(seq 11); do "$BIN/lexaro_startup_harness" "$(date +%s%N)" --bare; done
"$BIN/lexaro_startup_harness" "$(date +%s%N)" --load "$WORK/ten.txt"
if have_x; then
  echo "-- on Xvfb"
  for i in $(seq 11); do on_x "$BIN/lexaro_startup_harness" "$(date +%s%N)"; done
  for i in $(seq 11); do on_x "$BIN/lexaro_startup_harness" "$(date +%s%N)" --bare; done
fi

echo "== Every shape of text through the stall meter: load, paste, Select All + Copy, reading"
prose() { # $1 bytes of prose in paragraphs of about 1,250 characters
  yes 'The quick brown fox jumps over the lazy dog, again and again.' | tr '\n' ' ' |
    fold -w 1250 | head -c "$1" >"$2"
}
prose 10000000 "$WORK/prose10.txt"
prose 100000000 "$WORK/prose100.txt"
for mb in 1 10 50; do head -c $((mb * 1000000)) /dev/zero | tr '\0' 'x' >"$WORK/line$mb.txt"; done
for mb in 5 20; do head -c $((mb * 1000000)) /dev/zero | tr '\0' '\n' >"$WORK/breaks$mb.txt"; done
yes 'the of and to in a is that for it as was with be by on not he I this are or' |
  cut -c 1-70 | head -n 499999 >"$WORK/lines500k.txt"
# 20 paragraphs, each one word of 400,000 characters: words far longer than the box can show
for i in $(seq 20); do head -c 400000 /dev/zero | tr '\0' 'x'; echo ' '; done >"$WORK/words400k.txt"
for shape in prose10 prose100 line1 line10 line50 breaks5 breaks20 lines500k words400k; do
  for operation in load paste copy read; do
    "$BIN/lexaro_stall_meter" "$operation" "$WORK/$shape.txt"
  done
done

echo "== Pace accuracy of the real timer, 600 ticks per pace"
"$BIN/lexaro_pace_harness"
echo "-- at 800 wpm in one paragraph of 500,000 characters"
"$BIN/lexaro_pace_harness" --wpm 800 --ticks 400 --paragraph 500000
if have_x; then
  echo "-- on Xvfb with the full-screen view open"
  on_x "$BIN/lexaro_pace_harness" --fullscreen
fi
