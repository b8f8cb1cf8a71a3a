#!/usr/bin/env bash
# Lexaro for Windows (x86_64), cross-built on Debian with MinGW-w64 and tried under Wine. Opt-in:
# ./test.sh never runs it.
#
#   scripts/windows.sh [STAGE...]      all stages in order when none is named
#
# Stages:
#   packages   the Debian packages it needs (MinGW-w64, Wine, NSIS), installed with apt
#   sources    Debian's source packages of the toolkit and libraries, through a private apt
#              configuration (the machine's own package lists are left alone)
#   qt         Qt (Core, Gui, Widgets, the windows platform plugin and style, Test), cross-built
#   gtest      GoogleTest, cross-built
#   wine       a Wine prefix of its own
#   lexaro     Lexaro.exe and the test suites, cross-built from this CMake project
#   tests      the test suites under Wine, through ctest
#   smoke      the real Lexaro.exe under Wine on a virtual display, screenshots in build/windows/smoke
#
# Everything built from Debian's sources goes into a cache (LEXARO_WINDOWS_CACHE, by default
# ~/.cache/lexaro-windows), each part in a folder named after a hash of its version, its flags and
# its patches: change any of them and that part is built again. The project's own build goes to
# build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CACHE=${LEXARO_WINDOWS_CACHE:-$HOME/.cache/lexaro-windows}
BUILD=$ROOT/build/windows
TRIPLE=x86_64-w64-mingw32
JOBS=$(nproc)

# shellcheck source=scripts/common.sh
. "$ROOT/scripts/common.sh"

LEXARO_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-tools libz-mingw-w64-dev
  wine wine64 nsis
  # Debian's sources are unpacked by dpkg-source; the host Qt tools (moc, rcc, uic) run the build
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools
  # the Wine runs: a virtual display and screenshots
  xvfb xdotool imagemagick
)

say() { printf '== %s\n' "$*"; }

# A short hash of everything that decides how a part is built.
key() { printf '%s\n' "$@" | sha256sum | cut -c1-12; }

stage_packages() {
  lexaro_install_packages "${LEXARO_WINDOWS_PACKAGES[@]}"
}

# apt with lists and downloads of its own under the cache: an update with only deb-src lines in
# the machine's configuration would replace the binary package lists later installs need.
APT_DIR=$CACHE/apt
apt_private() {
  apt-get -o Dir::State::Lists="$APT_DIR/lists" -o Dir::Etc::sourcelist="$APT_DIR/sources.list" \
    -o Dir::Etc::sourceparts=/nonexistent -o Dir::Cache="$APT_DIR/cache" \
    -o APT::Sandbox::User=root "$@"
}

# The source packages, pinned to the versions they were built and tried with.
SOURCES=(qt6-base=6.4.2+dfsg-10)

stage_sources() {
  mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial" "$CACHE/src"
  cat >"$APT_DIR/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
  local wanted missing=()
  for wanted in "${SOURCES[@]}"; do
    [ -f "$CACHE/src/${wanted%%=*}_${wanted#*=}.dsc" ] || missing+=("$wanted")
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    say "sources: all in the cache"
    return 0
  fi
  say "sources: fetching ${missing[*]}"
  apt_private update -qq
  (cd "$CACHE/src" && apt_private source --download-only -qq "${missing[@]}")
}

# Unpacks a source package (with Debian's patches) into a fresh folder; prints the folder.
unpack() {
  local name=$1 version=$2 dir=$CACHE/work/$1
  rm -rf "$dir"
  mkdir -p "$CACHE/work"
  # (apt checked the files against Debian's signed index; dpkg-source has no keyring to check the
  # .dsc's own signature against and says so.)
  dpkg-source -x "$CACHE/src/${name}_${version}.dsc" "$dir" >"$CACHE/work/$name-unpack.log" 2>&1
  printf '%s\n' "$dir"
}

# The CMake toolchain for MinGW-w64 with POSIX threads (std::thread, std::mutex need them).
TOOLCHAIN=$CACHE/toolchain-$TRIPLE.cmake
write_toolchain() {
  mkdir -p "$CACHE"
  cat >"$TOOLCHAIN" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $TRIPLE-gcc-posix)
set(CMAKE_CXX_COMPILER $TRIPLE-g++-posix)
set(CMAKE_RC_COMPILER $TRIPLE-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$TRIPLE \${LEXARO_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

QT_VERSION=6.4.2+dfsg-10
# Only what a Widgets program needs: no network, SQL, D-Bus, OpenGL, printing or ICU; the image
# and text libraries Qt bundles instead of system ones (there are none for MinGW here).
QT_FLAGS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF
  -DFEATURE_opengl_dynamic=OFF -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
  -DFEATURE_zstd=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_sql_sqlite=OFF
  -DFEATURE_testlib=ON -DFEATURE_tabletevent=OFF
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)
# (The empty field is where patches to Qt's sources would go: Debian's build needs none.)
QT_PREFIX=$CACHE/qt-$(key "$QT_VERSION" "${QT_FLAGS[@]}" "" "$(uname -m)")

stage_qt() {
  if [ -f "$QT_PREFIX/.done" ]; then
    say "qt: in the cache ($QT_PREFIX)"
    return 0
  fi
  say "qt: building into $QT_PREFIX (about half an hour on two cores)"
  write_toolchain
  local src
  src=$(unpack qt6-base "$QT_VERSION")
  rm -rf "$QT_PREFIX" "$CACHE/work/qt-build"
  cmake -S "$src" -B "$CACHE/work/qt-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_INSTALL_PREFIX="$QT_PREFIX" "${QT_FLAGS[@]}" >"$CACHE/work/qt-configure.log" 2>&1 ||
    { tail -40 "$CACHE/work/qt-configure.log"; return 1; }
  cmake --build "$CACHE/work/qt-build" -j "$JOBS" >"$CACHE/work/qt-build.log" 2>&1 ||
    { grep -m 20 -E 'error|Error' "$CACHE/work/qt-build.log"; return 1; }
  cmake --install "$CACHE/work/qt-build" >/dev/null
  touch "$QT_PREFIX/.done"
  rm -rf "$CACHE/work/qt-build" "$src"
}

# GoogleTest from the sources Debian's googletest package keeps in /usr/src.
GTEST_VERSION=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo none)
GTEST_PREFIX=$CACHE/gtest-$(key "$GTEST_VERSION" "$(uname -m)")

stage_gtest() {
  if [ -f "$GTEST_PREFIX/.done" ]; then
    say "gtest: in the cache ($GTEST_PREFIX)"
    return 0
  fi
  write_toolchain
  rm -rf "$CACHE/work/gtest-build" "$GTEST_PREFIX"
  cmake -S /usr/src/googletest -B "$CACHE/work/gtest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$GTEST_PREFIX" >/dev/null
  cmake --build "$CACHE/work/gtest-build" -j "$JOBS" >/dev/null
  cmake --install "$CACHE/work/gtest-build" >/dev/null
  touch "$GTEST_PREFIX/.done"
  rm -rf "$CACHE/work/gtest-build"
}

# Wine, in a prefix of the cache's own. Wine does not pass Qt's variables on from Linux, so the
# prefix's registry gives every program its environment: the test suites run on Qt's offscreen
# platform with the Liberation fonts; the real window is asked for with -platform windows.
export WINEPREFIX=$CACHE/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_env() {
  timeout 60 wine reg add 'HKCU\Environment' /v "$1" /d "$2" /f >/dev/null 2>&1
}
stage_wine() {
  if [ -f "$WINEPREFIX/.lexaro" ]; then
    return 0
  fi
  say "wine: making the prefix $WINEPREFIX"
  timeout 300 wineboot --init >/dev/null 2>&1
  wine_env QT_QPA_PLATFORM offscreen
  wine_env QT_QPA_FONTDIR 'Z:\usr\share\fonts\truetype\liberation'
  timeout 120 wineserver -w
  touch "$WINEPREFIX/.lexaro"
}

# The MinGW runtime DLLs of the compiler in use (libstdc++, libgcc) and of MinGW (winpthread).
MINGW_DLLS=$(dirname "$($TRIPLE-g++-posix -print-file-name=libstdc++-6.dll 2>/dev/null || echo /x)")
MINGW_LIB_DLLS=/usr/$TRIPLE/lib

# build/windows/wine-run PROGRAM ARGS: a Windows program under Wine, with the Qt and MinGW DLLs on
# its path. A fatal error opens a box that waits for a click, so every run has a time limit.
write_runner() {
  mkdir -p "$BUILD"
  {
    echo '#!/bin/sh'
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='"
    echo "export WINEPATH='$(winepath -w "$QT_PREFIX/bin");$(winepath -w "$MINGW_DLLS");$(winepath -w "$MINGW_LIB_DLLS")'"
    echo 'exec timeout "${LEXARO_WINE_TIMEOUT:-300}" wine "$@"'
  } >"$BUILD/wine-run"
  chmod +x "$BUILD/wine-run"
}

stage_lexaro() {
  stage_wine
  write_runner
  mkdir -p "$BUILD"
  {
    echo "include($TOOLCHAIN)"
    echo "list(APPEND CMAKE_FIND_ROOT_PATH $QT_PREFIX $GTEST_PREFIX)"
  } >"$BUILD/toolchain.cmake"
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$BUILD/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$QT_PREFIX;$GTEST_PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DLEXARO_BUILD_BENCHMARKS=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$BUILD/wine-run" >/dev/null
  cmake --build "$BUILD" -j "$JOBS"
}

stage_tests() {
  stage_wine
  # One Wine server for the whole run, rather than one started and stopped around each of the
  # hundreds of test processes.
  wineserver -p
  local status=0
  (cd "$BUILD" && ctest --output-on-failure -j "$JOBS") || status=$?
  wineserver -k || true
  return "$status"
}

# The real Lexaro.exe under Wine on a virtual display, as a user meets it: the window at its size,
# Enter reads words into the band, Esc stops, Exit ends it with status 0. A screenshot of each step
# is kept in build/windows/smoke.
SMOKE_FAILED=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "   ok: $what"; else echo "   FAILED: $what"; SMOKE_FAILED=1; fi
}
poll() { # seconds, command...: every 0.2 s until the command succeeds or time runs out
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
# The brightest channel in the middle of the band (0 when it is all black), from a screenshot.
band_brightness() {
  convert "$1" -crop "550x140+$((WIN_X + 30))+$((WIN_Y + 100))" +repage -format '%[fx:maxima]' info:
}
band_lit() { [ "$(band_brightness "$1")" != 0 ]; }
band_dark() { [ "$(band_brightness "$1")" = 0 ]; }

stage_smoke() {
  stage_wine
  local out=$BUILD/smoke
  rm -rf "$out"
  mkdir -p "$out"
  local display
  exec {fd}<> <(:)
  Xvfb -displayfd "$fd" -screen 0 1280x900x24 -noreset >"$out/xvfb.log" 2>&1 &
  local xvfb=$!
  read -r -t 20 display <&"$fd" || { echo "Xvfb did not start"; return 1; }
  export DISPLAY=:$display
  "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows >"$out/lexaro.log" 2>&1 &
  local app=$!
  say "smoke: Lexaro.exe on display :$display"
  local window=""
  find_window() { window=$(xdotool search --name '^Lexaro v' 2>/dev/null | head -1) && [ -n "$window" ]; }
  check "the window appears" poll 90 find_window
  if [ -n "$window" ]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    WIN_X=$X WIN_Y=$Y
    import -window root "$out/1-window.png"
    check "it is 634 pixels wide (got $WIDTH x $HEIGHT)" test "$WIDTH" = 634
    xdotool windowfocus "$window"
    xdotool key Return
    shot_lit() { import -window root "$out/2-reading.png" && band_lit "$out/2-reading.png"; }
    check "Enter reads words into the band" poll 10 shot_lit
    xdotool key Escape
    shot_dark() { import -window root "$out/3-stopped.png" && band_dark "$out/3-stopped.png"; }
    check "Esc stops and clears the band" poll 10 shot_dark
    xdotool key alt+x
  fi
  local status=0
  gone() { ! kill -0 "$app" 2>/dev/null; }
  poll 30 gone || kill "$app"
  wait "$app" || status=$?
  check "Exit ends it with status 0 (got $status)" test "$status" = 0
  kill "$xvfb"
  [ "$SMOKE_FAILED" = 0 ] || { echo "screenshots and logs: $out"; return 1; }
}

main() {
  local stages=("$@")
  [ "${#stages[@]}" -gt 0 ] || stages=(packages sources qt gtest wine lexaro tests smoke)
  local stage start
  for stage in "${stages[@]}"; do
    start=$SECONDS
    "stage_$stage"
    say "$stage: $((SECONDS - start)) s"
  done
}

main "$@"
