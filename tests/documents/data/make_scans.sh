#!/usr/bin/env bash
# Writes the scanned-page fixtures beside this script with ImageMagick (Debian: imagemagick) and
# fonts-liberation, so that the tests need no tool at run time. Each is text of this project's own
# README typeset at 300 dpi, turned by a fraction of a degree and sprinkled with specks, as a page
# comes off a scanner:
#   scan.png      one page, a paragraph (scan_png.txt holds its words)
#   scan.webp     the same page as a lossless WebP
#   scan.jpg      grey, for image-only PDF pages (scan_jpg.txt)
#   blank.png     an empty page
#   scan.tif      two pages, Group 4 fax coded: a paragraph that runs from the foot of page 1 on
#                 to page 2, then a second one (scan_tif.txt)
# Run it again only to change them; commit the results.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# page TEXT ANGLE OUT: TEXT set in 12-point Liberation Serif on a 6.5-inch measure, turned by
# ANGLE degrees, with specks, thresholded to one bit a pixel.
page() {
  convert -density 300 -units PixelsPerInch -size 1950x -font Liberation-Serif -pointsize 12 \
    -background white -fill black caption:"$1" -bordercolor white -border 150 \
    -background white -rotate "$2" +repage \
    -seed 7 -attenuate 0.05 +noise Impulse -threshold 50% -type bilevel -define png:exclude-chunks=date,time "$3"
}

png_text="Documents are parsed by a separate small program, in a child process, so a damaged or \
hostile file can cost at most a failed load. Loading never freezes the window and never loses the \
text in the box: the file is read off the window thread while the reading goes on."
page "$png_text" 0.6 "$work/scan.png"
printf '%s\n' "$png_text" >scan_png.txt
cp "$work/scan.png" scan.png
convert "$work/scan.png" -define webp:lossless=true "$work/scan.webp"
cp "$work/scan.webp" scan.webp

tif_page1="The kind of a file is decided by its content, and Markdown and HTML also by their names. \
Anything else is read as plain text, and a file that is not text is refused. A file can be opened \
four ways, all with the same result: from the menu, from the command line, from the desktop's"
tif_page2="menu entry, and by dropping one file onto the window.
Spaces between two characters keep them one word, so no word is ever blank."
page "$tif_page1" -0.4 "$work/p1.png"
page "$tif_page2" 0.3 "$work/p2.png"
convert "$work/p1.png" "$work/p2.png" -density 300 -units PixelsPerInch -compress Group4 \
  "$work/scan.tif"
printf '%s %s\n' "$tif_page1" "$tif_page2" >scan_tif.txt
cp "$work/scan.tif" scan.tif

# A blank page: nothing to recognise.
convert -size 300x200 xc:white -density 300 -units PixelsPerInch -type bilevel -define png:exclude-chunks=date,time "$work/blank.png"
cp "$work/blank.png" blank.png

# A grey JPEG, as a scanner's "photo" setting writes one, for image-only PDF pages (the tests wrap
# it in a PDF): scan_jpg.txt holds its words.
jpg_text="Page numbers and running heads are left out, and a paragraph that goes on in the next \
column or on the next page is joined."
convert -density 300 -units PixelsPerInch -size 1950x -font Liberation-Serif -pointsize 12 \
  -background white -fill black caption:"$jpg_text" -bordercolor white -border 150 \
  -background white -rotate 0.5 +repage -seed 7 -attenuate 0.3 +noise Gaussian \
  -colorspace Gray -strip -quality 60 "$work/scan.jpg"
printf '%s\n' "$jpg_text" >scan_jpg.txt
cp "$work/scan.jpg" scan.jpg
