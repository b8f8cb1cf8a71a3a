#!/usr/bin/env bash
# Installs the built tree and builds the Debian package, then checks both as a user's system
# would see them: validators for the desktop entry and the AppStream data, the files in place,
# the Qt runtime among the package's dependencies, and the installed program starting.
#
#   check_install.sh BUILD_DIR
set -euo pipefail
BUILD=$(realpath "$1")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

PASSED=0
FAILED=0
expect() {
  local what=$1
  shift
  if "$@" >"$WORK/out.txt" 2>&1; then
    PASSED=$((PASSED + 1))
    echo "   ok: $what"
  else
    FAILED=$((FAILED + 1))
    echo "   FAILED: $what"
    sed 's/^/      /' "$WORK/out.txt"
  fi
}

APP=org.lexaro.Lexaro
FILES=(
  usr/bin/lexaro
  usr/libexec/lexaro/lexaro-extract
  "usr/share/applications/$APP.desktop"
  "usr/share/metainfo/$APP.metainfo.xml"
  "usr/share/icons/hicolor/16x16/apps/$APP.png"
  "usr/share/icons/hicolor/256x256/apps/$APP.png"
  "usr/share/icons/hicolor/scalable/apps/$APP.svg"
  usr/share/doc/lexaro/copyright
  usr/share/doc/lexaro/changelog.gz
  usr/share/man/man1/lexaro.1.gz
)

echo "== cmake --install"
cmake --install "$BUILD" --prefix "$WORK/tree/usr" >/dev/null
for f in "${FILES[@]}"; do expect "installs $f" test -s "$WORK/tree/$f"; done
# Valid, and without a hint either (such as more than one main category).
expect "desktop entry is valid" sh -c \
  "out=\$(desktop-file-validate '$WORK/tree/usr/share/applications/$APP.desktop' 2>&1); echo \"\$out\"; test -z \"\$out\""
expect "AppStream data is valid" appstreamcli validate --no-net --pedantic \
  "$WORK/tree/usr/share/metainfo/$APP.metainfo.xml"
expect "16x16 icon is 16x16" sh -c "file '$WORK/tree/usr/share/icons/hicolor/16x16/apps/$APP.png' | grep -q '16 x 16'"

echo "== cpack: Debian package"
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/deb" >/dev/null)
DEB=$(ls "$WORK"/deb/lexaro_*.deb)
expect "package is named for its version" sh -c "echo '$DEB' | grep -q 'lexaro_1.00_'"
expect "depends on the Qt widgets runtime" sh -c "dpkg-deb -f '$DEB' Depends | grep -q libqt6widgets6"
expect "depends on the document libraries" sh -c \
  "dpkg-deb -f '$DEB' Depends | grep -q libpoppler-cpp && dpkg-deb -f '$DEB' Depends | grep -q libzip"
expect "depends on libseccomp, which the helper locks itself down with" sh -c \
  "dpkg-deb -f '$DEB' Depends | grep -q libseccomp2"
expect "depends on tesseract and its English data, which scans are read with" sh -c \
  "dpkg-deb -f '$DEB' Depends | grep -q libtesseract5 && dpkg-deb -f '$DEB' Depends | grep -q tesseract-ocr-eng"
dpkg -x "$DEB" "$WORK/root"
for f in "${FILES[@]}"; do expect "package holds $f" test -s "$WORK/root/$f"; done
expect "recommends qt6-wayland and poppler-data" sh -c \
  "dpkg-deb -f '$DEB' Recommends | grep -q qt6-wayland && dpkg-deb -f '$DEB' Recommends | grep -q poppler-data"
expect "copyright file is machine-readable" sh -c \
  "head -n 1 '$WORK/root/usr/share/doc/lexaro/copyright' | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'"
expect "copyright puts the document helper's sources under the GPL, with its text" sh -c \
  "grep -A6 '^Files: documents/\\*' '$WORK/root/usr/share/doc/lexaro/copyright' | grep -q '^License: GPL-2+' && grep -q 'common-licenses/GPL-2' '$WORK/root/usr/share/doc/lexaro/copyright'"
expect "copyright puts what both processes link under the MIT licence, with its text" sh -c \
  "grep -A6 '^Files: formats/\\* helper/\\*' '$WORK/root/usr/share/doc/lexaro/copyright' | grep -q '^License: Expat' && grep -q '^License: Expat\$' '$WORK/root/usr/share/doc/lexaro/copyright' && grep -q 'Permission is hereby granted' '$WORK/root/usr/share/doc/lexaro/copyright'"
expect "the packaged lexaro has no run path" sh -c \
  "! readelf -d '$WORK/root/usr/bin/lexaro' | grep -qE 'RPATH|RUNPATH'"
# The program counts as started when it is still running after two seconds.
expect "the packaged lexaro starts" sh -c \
  "QT_QPA_PLATFORM=offscreen timeout 2 '$WORK/root/usr/bin/lexaro'; test \$? -eq 124"
expect "the packaged lexaro answers --version without a display" sh -c \
  "env -u DISPLAY -u WAYLAND_DISPLAY '$WORK/root/usr/bin/lexaro' --version | grep -qx 'Lexaro 1.00'"
for wrong in "--bogus" "a.txt b.txt"; do
  expect "the packaged lexaro answers 'lexaro $wrong' without a display: usage, exit 2" sh -c \
    "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '$WORK/root/usr/bin/lexaro' $wrong 2>'$WORK/usage.txt'; test \$? -eq 2 && grep -q '^Usage:' '$WORK/usage.txt'"
done
printf '<html><body><p>Packaged <b>words</b></p></body></html>' >"$WORK/page.html"
expect "the packaged helper extracts a page" sh -c \
  "test \"\$('$WORK/root/usr/libexec/lexaro/lexaro-extract' '$WORK/page.html')\" = 'Packaged words'"
expect "the packaged helper locks itself down" sh -c \
  "'$WORK/root/usr/libexec/lexaro/lexaro-extract' --sandbox-report | grep -qx 'seccomp: on'"

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
