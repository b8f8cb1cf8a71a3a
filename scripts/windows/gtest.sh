# scripts/windows.sh, stage gtest: sourced by it.
# shellcheck shell=bash

# GoogleTest from the sources Debian's googletest package keeps in /usr/src. Its version is asked
# when a stage needs it, after the packages stage installed it.
gtest_prefix() {
  local version
  version=$(dpkg-query -W -f='${Version}' googletest) ||
    { echo "googletest is not installed: run the packages stage" >&2; return 1; }
  GTEST_PREFIX=$CACHE/gtest-$(key "$version" "$(uname -m)" "$TOOLCHAIN_TEXT")
}

stage_gtest() {
  gtest_prefix
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
