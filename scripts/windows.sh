#!/usr/bin/env bash
# Lexaro for Windows (x86_64), cross-built on Debian with MinGW-w64 and tried under Wine. Opt-in:
# ./test.sh never runs it.
#
#   scripts/windows.sh [STAGE...]      all stages in order when none is named
#
# Stages:
#   packages   the Debian packages it needs (MinGW-w64, Wine, NSIS, ...), installed with apt
#   sources    Debian's source packages of the toolkit and libraries, through a private apt
#              configuration (the machine's own package lists are left alone)
#   qt         Qt (Core, Gui, Widgets, the windows platform plugin and style, Test), cross-built
#   gtest      GoogleTest, cross-built
#   deps       the document helper's libraries (libzip, libxml2, cmark-gfm, FreeType, poppler, ICU)
#   wine       a Wine prefix of its own
#   lexaro     Lexaro.exe, lexaro-extract.exe and the test suites, cross-built from this project
#   tests      the test suites under Wine, through ctest
#   smoke      the real Lexaro.exe under Wine on a virtual display, screenshots in build/windows/smoke
#   package    the installer (build/windows/Lexaro-<version>-setup.exe) and a portable zip
#   install    the zip and the installer under Wine: the unzipped program opens a book; the
#              installer installs, starts and uninstalls, for one user and for all
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
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools poppler-data zip unzip
  # the Wine runs: fonts, a virtual display, screenshots and the clipboard
  fonts-liberation fonts-dejavu-core xvfb xdotool imagemagick xclip
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

# The CMake toolchain for MinGW-w64 with POSIX threads: it decides how every part is built, so its
# text is in every part's key.
TOOLCHAIN=$ROOT/cmake/toolchains/$TRIPLE.cmake
TOOLCHAIN_TEXT=$(cat "$TOOLCHAIN")

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
QT_PREFIX=$CACHE/qt-$(key "$QT_VERSION" "${QT_FLAGS[@]}" "" "$(uname -m)" "$TOOLCHAIN_TEXT")

stage_qt() {
  if [ -f "$QT_PREFIX/.done" ]; then
    say "qt: in the cache ($QT_PREFIX)"
    return 0
  fi
  say "qt: building into $QT_PREFIX (about half an hour on two cores)"
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
GTEST_PREFIX=$CACHE/gtest-$(key "$GTEST_VERSION" "$(uname -m)" "$TOOLCHAIN_TEXT")

stage_gtest() {
  if [ -f "$GTEST_PREFIX/.done" ]; then
    say "gtest: in the cache ($GTEST_PREFIX)"
    return 0
  fi
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
  "$(cat "$ROOT"/scripts/windows/iconv.[ch])" "$(uname -m)" "$TOOLCHAIN_TEXT")

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
    cmake -S "$src/$subdir" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
      -DLEXARO_WINDOWS_PREFIXES="$DEPS_PREFIX" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX" "$@" &&
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

stage_deps() {
  if [ -f "$DEPS_PREFIX/.done" ]; then
    say "deps: in the cache ($DEPS_PREFIX)"
    return 0
  fi
  say "deps: building into $DEPS_PREFIX (about ten minutes on two cores)"
  # (A run cut short resumes: each library marks itself built.)
  mkdir -p "$DEPS_PREFIX/include" "$DEPS_PREFIX/lib"
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
# platform with Debian's Liberation and DejaVu fonts; the real window is asked for with
# -platform windows.
export WINEPREFIX=$CACHE/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_env() {
  timeout 60 wine reg add 'HKCU\Environment' /v "$1" /d "$2" /f >/dev/null 2>&1
}
stage_wine() {
  if [ -f "$WINEPREFIX/.lexaro-2" ]; then
    return 0
  fi
  say "wine: making the prefix $WINEPREFIX"
  timeout 300 wineboot --init >/dev/null 2>&1
  # The offscreen platform reads one folder of fonts: Debian's Liberation and DejaVu faces.
  mkdir -p "$CACHE/fonts"
  ln -sf /usr/share/fonts/truetype/liberation/*.ttf /usr/share/fonts/truetype/dejavu/*.ttf \
    "$CACHE/fonts/"
  wine_env QT_QPA_PLATFORM offscreen
  wine_env QT_QPA_FONTDIR "$(winepath -w "$CACHE/fonts")"
  timeout 120 wineserver -w
  touch "$WINEPREFIX/.lexaro-2"
}
# Where the DLLs the programs load come from: Qt, the helper's libraries, the MinGW runtime of the
# compiler in use (libstdc++, libgcc) and MinGW's own (winpthread, zlib). Asked of the compiler
# when needed, never when the script starts: on a fresh machine the packages stage installs it.
dll_folders() {
  local runtime
  runtime=$($TRIPLE-g++-posix -print-file-name=libstdc++-6.dll) && [ -f "$runtime" ] ||
    { echo "no $TRIPLE-g++-posix with its runtime: run the packages stage" >&2; return 1; }
  DLL_FOLDERS=("$QT_PREFIX/bin" "$DEPS_PREFIX/bin" "$(dirname "$runtime")" "/usr/$TRIPLE/lib")
}

# build/windows/wine-run PROGRAM ARGS: a Windows program under Wine, with the Qt and MinGW DLLs on
# its path. A fatal error opens a box that waits for a click, so every run has a time limit.
write_runner() {
  dll_folders
  mkdir -p "$BUILD"
  {
    echo '#!/bin/sh'
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='"
    local folder path=""
    for folder in "${DLL_FOLDERS[@]}"; do
      path+="${path:+;}$(winepath -w "$folder")"
    done
    echo "export WINEPATH='$path'"
    echo 'exec timeout "${LEXARO_WINE_TIMEOUT:-300}" wine "$@"'
  } >"$BUILD/wine-run"
  chmod +x "$BUILD/wine-run"
}

stage_lexaro() {
  stage_wine
  write_runner
  mkdir -p "$BUILD"
  # When a part was rebuilt under a new key, configure afresh: CMake keeps the paths it found.
  local prefixes="$QT_PREFIX $GTEST_PREFIX $DEPS_PREFIX"
  if [ "$(cat "$BUILD/prefixes" 2>/dev/null)" != "$prefixes" ]; then
    rm -f "$BUILD/CMakeCache.txt"
  fi
  # pkg-config finds the helper's libraries in the cache, never the machine's own.
  PKG_CONFIG_LIBDIR=$DEPS_PREFIX/lib/pkgconfig PKG_CONFIG_PATH='' \
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DLEXARO_WINDOWS_PREFIXES="$QT_PREFIX;$GTEST_PREFIX;$DEPS_PREFIX" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$QT_PREFIX;$GTEST_PREFIX;$DEPS_PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DLEXARO_BUILD_BENCHMARKS=OFF -DLEXARO_WARNINGS_AS_ERRORS=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$BUILD/wine-run" >/dev/null
  echo "$prefixes" >"$BUILD/prefixes"
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
  # The session's first program waits while Wine starts its services: that wait is paid here.
  timeout 120 wine cmd /c exit >/dev/null 2>&1 || true
  local status=0
  # Now and then a test process under Wine stalls for a minute or more, in a test that takes
  # seconds on its own: a test that reaches its time limit is run again, once.
  (cd "$BUILD" && ctest --output-on-failure -j "$JOBS" --timeout 120 --repeat after-timeout:2) ||
    status=$?
  wineserver -k || true
  return "$status"
}

# What ships: Lexaro.exe and its helper, the Qt plug-ins they need (the windows platform and its
# style), poppler's tables, and every DLL they import that is not Windows's own, found by walking
# the import tables with objdump. A DLL found in none of the build's folders must be Windows's;
# those are listed in build/windows/system-dlls.txt to be checked.
VERSION=$(sed -n 's/^set(LEXARO_FILE_VERSION "\(.*\)")/\1/p' "$ROOT/CMakeLists.txt")
STAGE=$BUILD/Lexaro-$VERSION
find_dll() { # name: its path in the build's folders (any case), or nothing
  local folder
  for folder in "${DLL_FOLDERS[@]}"; do
    find "$folder" -maxdepth 1 -iname "$1" -print -quit
  done | head -1
}
stage_package() {
  dll_folders
  rm -rf "$STAGE" "$BUILD"/Lexaro-*-setup.exe "$BUILD"/Lexaro-*-portable.zip
  mkdir -p "$STAGE/platforms" "$STAGE/styles" "$STAGE/share"
  cp "$BUILD/Lexaro.exe" "$BUILD/lexaro-extract.exe" "$STAGE/"
  cp "$QT_PREFIX/plugins/platforms/qwindows.dll" "$STAGE/platforms/"
  cp "$QT_PREFIX/plugins/styles/qwindowsvistastyle.dll" "$STAGE/styles/"
  cp -r /usr/share/poppler "$STAGE/share/poppler"
  local queue=("$STAGE/Lexaro.exe" "$STAGE/lexaro-extract.exe" "$STAGE/platforms/qwindows.dll"
    "$STAGE/styles/qwindowsvistastyle.dll")
  local file name found
  : >"$BUILD/system-dlls.txt"
  while [ "${#queue[@]}" -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r name; do
      [ ! -e "$STAGE/$name" ] || continue
      found=$(find_dll "$name")
      if [ -n "$found" ]; then
        cp "$found" "$STAGE/$name"
        queue+=("$STAGE/$name")
      else
        grep -qixF "$name" "$BUILD/system-dlls.txt" || echo "$name" >>"$BUILD/system-dlls.txt"
      fi
    done < <($TRIPLE-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
  done
  sort -fo "$BUILD/system-dlls.txt" "$BUILD/system-dlls.txt"
  $TRIPLE-strip --strip-unneeded "$STAGE"/*.dll "$STAGE"/*/*.dll "$STAGE"/*.exe
  cp "$ROOT/README.md" "$STAGE/README.txt"
  # The terms of use, for the licence page and beside the program, with Windows line ends.
  sed 's/$/\r/' "$ROOT/LICENSE" >"$STAGE/LICENSE.txt"

  # The installer lists each file to install and to remove; folders go after what they hold.
  local files=$BUILD/files.nsh unfiles=$BUILD/unfiles.nsh relative
  : >"$files"
  : >"$unfiles"
  while read -r relative; do
    echo "CreateDirectory \"\$INSTDIR\\${relative//\//\\}\"" >>"$files"
  done < <(cd "$STAGE" && find . -mindepth 1 -type d | sed 's|^\./||' | sort)
  while read -r relative; do
    echo "File \"/oname=${relative//\//\\}\" \"$STAGE/$relative\"" >>"$files"
    echo "Delete \"\$INSTDIR\\${relative//\//\\}\"" >>"$unfiles"
  done < <(cd "$STAGE" && find . -type f | sed 's|^\./||' | sort)
  while read -r relative; do
    echo "RMDir \"\$INSTDIR\\${relative//\//\\}\"" >>"$unfiles"
  done < <(cd "$STAGE" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r)
  makensis -V2 -DVERSION="$VERSION" -DFILES="$files" -DUNFILES="$unfiles" \
    -DASSOCIATIONS="$BUILD/associations.nsh" \
    -DLICENSE="$STAGE/LICENSE.txt" -DICON="$ROOT/resources/icons/lexaro.ico" \
    -DOUTFILE="$BUILD/Lexaro-$VERSION-setup.exe" "$ROOT/scripts/windows/lexaro.nsi"
  (cd "$BUILD" && zip -qr9 "Lexaro-$VERSION-portable.zip" "Lexaro-$VERSION")
  say "package: $(du -h "$BUILD/Lexaro-$VERSION-setup.exe" | cut -f1) installer," \
    "$(du -h "$BUILD/Lexaro-$VERSION-portable.zip" | cut -f1) zip; Windows's own DLLs:" \
    "$(tr '\n' ' ' <"$BUILD/system-dlls.txt")"
}

# The real Lexaro.exe under Wine on a virtual display, as a user meets it. Each check's screenshot
# is kept in build/windows/smoke (or build/windows/install for the installed copy).
CHECKS_FAILED=0
check() { # description, command...
  local what=$1
  shift
  if "$@"; then echo "   ok: $what"; else echo "   FAILED: $what"; CHECKS_FAILED=1; fi
}
poll() { # seconds, command...: every 0.2 s until the command succeeds or time runs out
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

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
  poll 90 find_window || return 1
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  WIN_X=$X WIN_Y=$Y
  xdotool windowfocus "$WINDOW"
}
app_gone() { ! kill -0 "$APP" 2>/dev/null; }
app_exit() {
  local status=0
  [ -z "$WINDOW" ] || xdotool windowfocus "$WINDOW" key alt+x
  poll 30 app_gone || kill "$APP"
  wait "$APP" || status=$?
  check "Exit ends it with status 0 (got $status)" test "$status" = 0
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
  poll 5 clipboard_changed && xclip -o -selection clipboard
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
  poll 5 clipboard_changed && xclip -o -selection clipboard | tr -d '\r' | grep -qxF "$2" &&
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
  local out=$BUILD/smoke
  rm -rf "$out"
  mkdir -p "$out"
  make_books "$out"
  display_start "$out/xvfb.log"
  say "smoke: Lexaro.exe on display $DISPLAY"
  app_start "$out" "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows
  check "the window appears" app_window
  if [ -n "$WINDOW" ]; then
    import -window root "$out/1-window.png"
    check "it is 634 pixels wide (got $WIDTH x $HEIGHT)" test "$WIDTH" = 634
    xdotool key Return
    shot_lit() { import -window root "$out/2-reading.png" && band_lit "$out/2-reading.png"; }
    check "Enter reads words into the band" poll 10 shot_lit
    xdotool key Escape
    shot_dark() { import -window root "$out/3-stopped.png" && band_dark "$out/3-stopped.png"; }
    check "Esc stops and clears the band" poll 10 shot_dark
  fi
  app_exit

  # A name beyond any one code page: it reaches the helper as UTF-16.
  local book="$out/livre été 书 ספר.epub"
  cp "$out/book.epub" "$book"
  app_start "$out" "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows "$(winepath -w "$book")"
  check "Lexaro.exe \"${book##*/}\": the window appears" app_window
  check "the book's text is in the box (the helper ran)" poll 30 box_holds "$out/4-book.png" \
    "$BOOK_TEXT"
  app_exit

  app_start "$out" "$BUILD/wine-run" "$BUILD/Lexaro.exe" -platform windows \
    "$(winepath -w "$out/damaged.epub")"
  check "Lexaro.exe damaged.epub: the window appears" app_window
  check "a message gives the reason" poll 30 message_says "$out/5-damaged.png" "$DAMAGED_MESSAGE"
  check "the box keeps the welcome text" poll 10 box_starts "$out/6-kept.png" "Welcome to Lexaro"
  app_exit
  display_stop
  [ "$CHECKS_FAILED" = 0 ] || { echo "screenshots and logs: $out"; return 1; }
}

# The installer under Wine, silent, for the current user and then for all users: it installs the
# program, its Start-menu entry, "Open with" and its uninstall record; the installed copy, with
# only the DLLs the installer carried, opens a book; and the uninstaller leaves no file and no
# registry key behind. Screenshots in build/windows/install.
prefix_files() {
  (cd "$WINEPREFIX/drive_c" &&
    find . \( -path './users/*/Temp' -o -path './windows/temp' \) -prune -o -print | sort)
}
prefix_keys() {
  grep -h '^\[' "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" | sed 's/\] [0-9]*$/]/' | sort
}
reg_has() { timeout 60 wine reg query "$1" /v "$2" >/dev/null 2>&1; }
no_difference() { diff "$1" "$2" >"$3"; }

install_mode() { # CurrentUser or AllUsers, its registry root (HKCU or HKLM), the folder expected
  local mode=$1 root=$2 folder=$WINEPREFIX/drive_c/$3 out=$BUILD/install/$1 status=0
  mkdir -p "$out"
  make_books "$out"
  # One display for the whole Wine session: the installer's and the program's.
  timeout 60 wineserver -w || true
  display_start "$out/xvfb.log"
  prefix_files >"$out/files-before.txt"
  prefix_keys >"$out/keys-before.txt"
  # Twice: a second install goes over the first, and one uninstall must still remove it all.
  timeout 300 wine "$(winepath -w "$BUILD/Lexaro-$VERSION-setup.exe")" /S "/$mode" || status=$?
  timeout 300 wine "$(winepath -w "$BUILD/Lexaro-$VERSION-setup.exe")" /S "/$mode" || status=$?
  check "$mode: the installer, run twice, ends with status 0 (got $status)" test "$status" = 0
  check "$mode: Lexaro.exe is in $3" test -f "$folder/Lexaro.exe"
  check "$mode: the Start menu has Lexaro" test -n "$(find "$WINEPREFIX/drive_c" -name Lexaro.lnk)"
  local classes="$root\\Software\\Classes"
  check "$mode: Lexaro is in Open with for .epub" reg_has "$classes\\.epub\\OpenWithProgids" \
    Lexaro.Document
  check "$mode: the uninstall record" \
    reg_has "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexaro" UninstallString

  check_opens_book "$mode" "$out" "$folder/Lexaro.exe"

  # The uninstaller copies itself away and runs from there: wait for the folder to go.
  status=0
  timeout 120 wine "$(winepath -w "$folder/Uninstall.exe")" /S || status=$?
  check "$mode: the uninstaller starts (status $status)" test "$status" = 0
  check "$mode: the uninstaller removes the folder" poll 60 test ! -e "$folder"
  timeout 60 wineserver -w || true
  display_stop
  prefix_files >"$out/files-after.txt"
  prefix_keys >"$out/keys-after.txt"
  check "$mode: no file is left" no_difference "$out/files-before.txt" "$out/files-after.txt" \
    "$out/files-left.txt"
  check "$mode: no registry key is left" no_difference "$out/keys-before.txt" \
    "$out/keys-after.txt" "$out/keys-left.txt"
}

# A shipped Lexaro.exe, with only the DLLs shipped beside it, opens OUT/book.epub.
check_opens_book() { # label out exe
  app_start "$2" env -u WINEPATH timeout 120 wine "$(winepath -w "$3")" -platform windows \
    "$(winepath -w "$2/book.epub")"
  check "$1: Lexaro.exe opens a book with only what was shipped" app_window
  check "$1: its text is in the box" poll 30 box_holds "$2/book.png" "$BOOK_TEXT"
  app_exit
}

# The portable zip, unpacked into a fresh folder, opens a book with nothing else on its path.
portable_check() {
  local out=$BUILD/install/portable
  mkdir -p "$out"
  make_books "$out"
  unzip -q "$BUILD/Lexaro-$VERSION-portable.zip" -d "$out"
  display_start "$out/xvfb.log"
  check_opens_book portable "$out" "$out/Lexaro-$VERSION/Lexaro.exe"
  timeout 60 wineserver -w || true
  display_stop
}

stage_install() {
  stage_wine
  rm -rf "$BUILD/install"
  portable_check
  install_mode CurrentUser HKCU "users/$(id -un)/AppData/Local/Programs/Lexaro"
  install_mode AllUsers HKLM "Program Files/Lexaro"
  [ "$CHECKS_FAILED" = 0 ] || { echo "screenshots and lists: $BUILD/install"; return 1; }
}

main() {
  local stages=("$@")
  [ "${#stages[@]}" -gt 0 ] || stages=(packages sources qt gtest deps wine lexaro tests smoke package install)
  # A stage that builds stops the run when it fails; one that checks (tests, smoke, install) lets
  # the others go on, and the run fails at the end.
  local stage start failed=()
  for stage in "${stages[@]}"; do
    start=$SECONDS
    case $stage in
      tests | smoke | install) "stage_$stage" || failed+=("$stage") ;;
      *) "stage_$stage" ;;
    esac
    say "$stage: $((SECONDS - start)) s"
  done
  if [ "${#failed[@]}" -gt 0 ]; then
    say "failed: ${failed[*]}"
    return 1
  fi
}

main "$@"
