#!/usr/bin/env bash
# Writes the DjVu fixtures beside this script, with djvulibre's own tools (Debian: djvulibre-bin),
# so that the tests need no tool at run time:
#   text.djvu     two blank 300 dpi pages with a text layer of words: a paragraph hyphenated across
#                 its first two lines, then one running on from the foot of page 1 to page 2
#   scan.djvu     one blank page without a text layer
#   scanned.djvu  scan.png (make_scans.sh) as a page without a text layer, for text recognition
#                 (its words are scan_png.txt)
# Run it again only to change them; commit the results.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A blank bilevel page, 8.5 x 11 inches at 300 dpi.
row_bytes=$(((2550 + 7) / 8))
{ printf 'P4\n2550 3300\n'; head -c $((row_bytes * 3300)) /dev/zero; } >"$work/page.pbm"
cjb2 -dpi 300 "$work/page.pbm" "$work/p1.djvu"
cp "$work/p1.djvu" "$work/p2.djvu"
djvm -c "$work/text.djvu" "$work/p1.djvu" "$work/p2.djvu"
cp "$work/p1.djvu" scan.djvu

# One (line ...) per line of words, 40 pixels a character, lines 60 high on a 90 step, from
# `top` (pixels from the page's top) down; DjVu counts y upwards from the bottom.
lines() {
  python3 - "$@" <<'PY'
import sys
top, height = int(sys.argv[1]), 3300
out = []
for n, line in enumerate(sys.argv[2:]):
    y1 = height - top - 90 * n
    y0 = y1 - 60
    x, words = 300, []
    for word in line.split():
        words.append('(word %d %d %d %d "%s")' % (x, y0, x + 40 * len(word), y1, word))
        x += 40 * (len(word) + 1)
    out.append('(line 300 %d %d %d %s)' % (y0, x - 40, y1, ' '.join(words)))
print(' '.join(out))
PY
}

cat >"$work/text.dsed" <<EOF2
select 1
set-txt
(page 0 0 2550 3300 $(lines 300 "Reading a book without exam-" "ple sentences goes well." \
  "A second paragraph starts here and" "runs across the foot of the page"))
.
select 2
set-txt
(page 0 0 2550 3300 $(lines 300 "and ends on the next one."))
.
save
EOF2
djvused "$work/text.djvu" -f "$work/text.dsed"
cp "$work/text.djvu" text.djvu

# A scanned page, bilevel as cjb2 takes it.
convert scan.png "$work/scanned.pbm"
cjb2 -dpi 300 "$work/scanned.pbm" "$work/scanned.djvu"
cp "$work/scanned.djvu" scanned.djvu
