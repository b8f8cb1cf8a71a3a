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
#   deps       the document helper's libraries (libzip, libxml2, cmark-gfm, FreeType, poppler, ICU)
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
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools poppler-data zip
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

# The source packages, pinned to the versions they were built and tried with (the document
# helper's libraries at the versions Debian 12 itself ships).
DEPS_SOURCES=(libzip=1.7.3-1 libxml2=2.9.14+dfsg-1.3~deb12u6 cmark-gfm=0.29.0.gfm.6-6
  freetype=2.12.1+dfsg-5+deb12u4 poppler=22.12.0-2+deb12u3 icu=72.1-3+deb12u1)
SOURCES=(qt6-base=6.4.2+dfsg-10 "${DEPS_SOURCES[@]}")

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

# The document helper's libraries, each with only what reading text needs: no network, no
# encryption, no image decoders, no compressors beyond ZIP's deflate (zlib is Debian's MinGW build).
# MinGW has no iconv; poppler's C++ interface gets the two conversions it makes from
# scripts/windows/iconv.c. ICU is built as its common library only, with no data: the helper asks
# it for right-to-left order, and those properties are compiled into the library.
LIBZIP_FLAGS=(-DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
  -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF
  -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF)
LIBXML2_FLAGS=(-DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF
  -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF
  -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF
  -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF)
CMARK_FLAGS=(-DCMARK_TESTS=OFF -DCMARK_STATIC=OFF -DCMARK_SHARED=ON)
FREETYPE_FLAGS=(-DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON)
POPPLER_FLAGS=(-DENABLE_UTILS=OFF -DENABLE_CPP=ON -DENABLE_GLIB=OFF
  -DENABLE_GOBJECT_INTROSPECTION=OFF -DENABLE_QT5=OFF -DENABLE_QT6=OFF -DENABLE_BOOST=OFF
  -DENABLE_LIBOPENJPEG=none -DENABLE_DCTDECODER=none -DENABLE_CMS=none -DENABLE_LIBCURL=OFF
  -DENABLE_ZLIB=OFF -DENABLE_NSS3=OFF -DENABLE_GPGME=OFF -DWITH_NSS3=OFF -DWITH_Cairo=OFF
  -DWITH_TIFF=OFF -DWITH_PNG=OFF -DBUILD_GTK_TESTS=OFF -DBUILD_QT5_TESTS=OFF -DBUILD_QT6_TESTS=OFF
  -DBUILD_CPP_TESTS=OFF -DBUILD_MANUAL_TESTS=OFF -DRUN_GPERF_IF_PRESENT=OFF
  -DFONT_CONFIGURATION=win32)
ICU_FLAGS=(--disable-tools --disable-tests --disable-samples --disable-extras --disable-icuio
  --disable-layoutex --enable-shared --disable-static)
DEPS_PREFIX=$CACHE/deps-$(key "${DEPS_SOURCES[@]}" "${LIBZIP_FLAGS[@]}" "${LIBXML2_FLAGS[@]}" \
  "${CMARK_FLAGS[@]}" "${FREETYPE_FLAGS[@]}" "${POPPLER_FLAGS[@]}" "${ICU_FLAGS[@]}" \
  "$(cat "$ROOT"/scripts/windows/iconv.[ch])" "$(uname -m)")

version_of() { # name: its pinned version in DEPS_SOURCES
  local wanted
  for wanted in "${DEPS_SOURCES[@]}"; do
    [ "${wanted%%=*}" != "$1" ] || printf '%s\n' "${wanted#*=}"
  done
}

# Cross-builds the CMake project of source package NAME (its folder SUBDIR) into DEPS_PREFIX.
cmake_dep() { # name subdir flags...
  local name=$1 subdir=$2 src start=$SECONDS
  shift 2
  [ ! -f "$DEPS_PREFIX/.built-$name" ] || return 0
  src=$(unpack "$name" "$(version_of "$name")")
  local build=$CACHE/work/$name-build log=$CACHE/work/$name.log
  rm -rf "$build"
  {
    cmake -S "$src/$subdir" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$DEPS_TOOLCHAIN" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX" "$@" &&
      cmake --build "$build" -j "$JOBS" && cmake --install "$build"
  } >"$log" 2>&1 || { tail -30 "$log"; return 1; }
  rm -rf "$build" "$src"
  touch "$DEPS_PREFIX/.built-$name"
  say "deps: $name $((SECONDS - start)) s"
}

icu_dep() {
  local src start=$SECONDS log=$CACHE/work/icu.log
  [ ! -f "$DEPS_PREFIX/.built-icu" ] || return 0
  src=$(unpack icu "$(version_of icu)")
  # ICU's cross build wants a configured build for this machine beside it; with no data and no
  # tools to build, its configuration is all it is asked for.
  local native=$CACHE/work/icu-native cross=$CACHE/work/icu-cross
  rm -rf "$native" "$cross"
  mkdir -p "$native" "$cross"
  {
    (cd "$native" && "$src/source/configure" --disable-tests --disable-samples &&
      make config/icucross.mk config/icucross.inc) &&
      (cd "$cross" && "$src/source/configure" --host=$TRIPLE --prefix="$DEPS_PREFIX" \
        --with-cross-build="$native" "${ICU_FLAGS[@]}" CC=$TRIPLE-gcc-posix \
        CXX=$TRIPLE-g++-posix && mkdir -p lib bin &&
        make -j "$JOBS" -C stubdata && make -j "$JOBS" -C common &&
        make -C stubdata install && make -C common install && make install-pkgconfig)
  } >"$log" 2>&1 || { tail -30 "$log"; return 1; }
  rm -rf "$native" "$cross" "$src"
  touch "$DEPS_PREFIX/.built-icu"
  say "deps: icu $((SECONDS - start)) s"
}

DEPS_TOOLCHAIN=$CACHE/toolchain-deps.cmake
stage_deps() {
  if [ -f "$DEPS_PREFIX/.done" ]; then
    say "deps: in the cache ($DEPS_PREFIX)"
    return 0
  fi
  say "deps: building into $DEPS_PREFIX (about ten minutes on two cores)"
  write_toolchain
  # (A run cut short resumes: each library marks itself built.)
  mkdir -p "$DEPS_PREFIX/include" "$DEPS_PREFIX/lib"
  {
    echo "include($TOOLCHAIN)"
    echo "list(APPEND CMAKE_FIND_ROOT_PATH $DEPS_PREFIX)"
  } >"$DEPS_TOOLCHAIN"
  export PKG_CONFIG_LIBDIR=$DEPS_PREFIX/lib/pkgconfig
  mkdir -p "$CACHE/work"
  cp "$ROOT/scripts/windows/iconv.h" "$DEPS_PREFIX/include/"
  $TRIPLE-gcc-posix -O2 -c "$ROOT/scripts/windows/iconv.c" -o "$CACHE/work/iconv.o"
  $TRIPLE-ar rcs "$DEPS_PREFIX/lib/libiconv.a" "$CACHE/work/iconv.o"
  cmake_dep libzip . "${LIBZIP_FLAGS[@]}"
  cmake_dep libxml2 . "${LIBXML2_FLAGS[@]}"
  cmake_dep cmark-gfm . "${CMARK_FLAGS[@]}"
  cmake_dep freetype . "${FREETYPE_FLAGS[@]}"
  cmake_dep poppler . "${POPPLER_FLAGS[@]}"
  icu_dep
  touch "$DEPS_PREFIX/.done"
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
    echo "export WINEPATH='$(winepath -w "$QT_PREFIX/bin");$(winepath -w "$DEPS_PREFIX/bin");$(winepath -w "$MINGW_DLLS");$(winepath -w "$MINGW_LIB_DLLS")'"
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
    echo "list(APPEND CMAKE_FIND_ROOT_PATH $QT_PREFIX $GTEST_PREFIX $DEPS_PREFIX)"
  } >"$BUILD/toolchain.cmake"
  # pkg-config finds the helper's libraries in the cache, never the machine's own.
  PKG_CONFIG_LIBDIR=$DEPS_PREFIX/lib/pkgconfig PKG_CONFIG_PATH= \
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$BUILD/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$QT_PREFIX;$GTEST_PREFIX;$DEPS_PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DLEXARO_BUILD_BENCHMARKS=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$BUILD/wine-run" >/dev/null
  cmake --build "$BUILD" -j "$JOBS"
  # poppler's CJK and glyph-name tables (Debian's poppler-data), where poppler looks for them on
  # Windows: share/poppler beside its DLL's folder.
  if [ ! -d "$DEPS_PREFIX/share/poppler" ]; then
    mkdir -p "$DEPS_PREFIX/share"
    cp -r /usr/share/poppler "$DEPS_PREFIX/share/poppler"
  fi
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
  [ "${#stages[@]}" -gt 0 ] || stages=(packages sources qt gtest deps wine lexaro tests smoke)
  local stage start
  for stage in "${stages[@]}"; do
    start=$SECONDS
    "stage_$stage"
    say "$stage: $((SECONDS - start)) s"
  done
}

main "$@"
