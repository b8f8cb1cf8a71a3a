# scripts/windows.sh, stage build: sourced by it.
# shellcheck shell=bash

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

# What the preset `windows` reads from the environment: the cache's folders of this run.
windows_environment() {
  gtest_prefix
  export LEXARO_WINDOWS_PREFIXES="$QT_PREFIX;$GTEST_PREFIX;$DEPS_PREFIX"
  export LEXARO_WINDOWS_LICENSES=$LICENSES_DIR
}

stage_build() {
  stage_wine
  write_runner
  windows_environment
  mkdir -p "$BUILD"
  # When a part was rebuilt under a new key, configure afresh: CMake keeps the paths it found.
  local prefixes="$LEXARO_WINDOWS_PREFIXES $LEXARO_WINDOWS_LICENSES"
  if [ "$(cat "$BUILD/prefixes" 2>/dev/null)" != "$prefixes" ]; then
    rm -f "$BUILD/CMakeCache.txt"
  fi
  # With ccache, a fresh clone compiles only what changed (paths are taken relative to the clone).
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$ROOT
  fi
  say "build: LEXARO_WINDOWS_PREFIXES='$LEXARO_WINDOWS_PREFIXES'" \
    "LEXARO_WINDOWS_LICENSES='$LEXARO_WINDOWS_LICENSES'"
  cmake --preset windows "${launcher[@]}" >"$BUILD/configure.log" 2>&1 ||
    { tail -40 "$BUILD/configure.log"; return 1; }
  echo "$prefixes" >"$BUILD/prefixes"
  cmake --build --preset windows -j "$JOBS"
  # poppler's CJK and glyph-name tables (Debian's poppler-data), where poppler looks for them on
  # Windows: share/poppler beside its DLL's folder.
  if [ ! -d "$DEPS_PREFIX/share/poppler" ]; then
    mkdir -p "$DEPS_PREFIX/share"
    cp -r /usr/share/poppler "$DEPS_PREFIX/share/poppler"
  fi
}
