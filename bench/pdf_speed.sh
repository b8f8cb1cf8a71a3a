#!/usr/bin/env bash
# The helper's whole PDF path against pdftotext's, on the same files, run in turns in one run:
#
#   bench/pdf_speed.sh LEXARO_EXTRACT PDF...   [RUNS=5]
#
# For each file, the fastest of RUNS runs of each (CPU time, user + system, and wall time) and
# their ratio. CPU time is the fairer figure on a shared machine; wall time is what a reader
# waits. pdftotext (poppler-utils) does no layout analysis and recognises no scanned page: a page
# without text that lexaro-extract draws and recognises counts in its time only.
set -euo pipefail
EXTRACT=$1
shift
RUNS=${RUNS:-5}
command -v pdftotext >/dev/null || {
  echo "pdf_speed: needs pdftotext (Debian: poppler-utils)" >&2
  exit 2
}

# Prints "CPU WALL" of one run of the command.
measure() {
  /usr/bin/time -o "$FIGURES" -f '%U %S %e' "$@" >/dev/null 2>&1 || true
  awk 'END { printf "%.3f %.3f\n", $1 + $2, $3 }' "$FIGURES"
}
FIGURES=$(mktemp)
trap 'rm -f "$FIGURES"' EXIT

printf '%-34s %6s %16s %16s %12s\n' file pages 'lexaro cpu/wall' 'pdftotext c/w' 'ratio c/w'
for pdf in "$@"; do
  best=(9e9 9e9 9e9 9e9) # lexaro cpu, wall; pdftotext cpu, wall
  for _ in $(seq "$RUNS"); do
    read -r cpu wall < <(measure "$EXTRACT" "$pdf")
    best[0]=$(awk -v a="$cpu" -v b="${best[0]}" 'BEGIN { print (a < b) ? a : b }')
    best[1]=$(awk -v a="$wall" -v b="${best[1]}" 'BEGIN { print (a < b) ? a : b }')
    read -r cpu wall < <(measure pdftotext -enc UTF-8 "$pdf" -)
    best[2]=$(awk -v a="$cpu" -v b="${best[2]}" 'BEGIN { print (a < b) ? a : b }')
    best[3]=$(awk -v a="$wall" -v b="${best[3]}" 'BEGIN { print (a < b) ? a : b }')
  done
  pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
  awk -v f="$(basename "$pdf")" -v p="${pages:-?}" -v lc="${best[0]}" -v lw="${best[1]}" \
    -v rc="${best[2]}" -v rw="${best[3]}" 'BEGIN {
      printf "%-34s %6s %7.2f / %6.2f %7.2f / %6.2f %5.2f / %5.2f\n", f, p, lc, lw, rc, rw,
        (rc > 0 ? lc / rc : 0), (rw > 0 ? lw / rw : 0) }'
done
