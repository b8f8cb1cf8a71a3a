# scripts/windows.sh, stage qt: sourced by it.
# shellcheck shell=bash

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
