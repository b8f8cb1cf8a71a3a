#!/usr/bin/env bash
# Lexaro for Windows (x86_64), cross-built on Debian with MinGW-w64 and tried under Wine. Opt-in:
# ./test.sh never runs it. This script only runs the stages; each is a file in scripts/windows/.
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
#   licenses   those parts' licences, taken from their source packages
#   wine       a Wine prefix of its own
#   build      Lexaro.exe, lexaro-extract.exe and the test suites: the CMake preset `windows`
#   tests      the test suites under Wine, through ctest
#   smoke      the real Lexaro.exe under Wine on a virtual display, screenshots in build/windows/smoke
#   package    CPack's installer (build/windows/Lexaro-<version>-setup.exe) and portable zip, and
#              the sources of the GPL and LGPL parts beside them (Lexaro-<version>-sources.zip)
#   install    the zip and the installer under Wine: every program and DLL shipped has its licence;
#              the unzipped program opens a book; the installer installs, starts and uninstalls,
#              for one user and for all
#
# Everything built from Debian's sources goes into a cache (LEXARO_WINDOWS_CACHE, by default
# ~/.cache/lexaro-windows), each part in a folder named after a hash of its version, its flags, its
# patches and the toolchain file: change any of them and that part is built again. The project's
# own build goes to build/windows (the preset's folder).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CACHE=${LEXARO_WINDOWS_CACHE:-$HOME/.cache/lexaro-windows}
BUILD=$ROOT/build/windows
TRIPLE=x86_64-w64-mingw32
JOBS=$(nproc)

# shellcheck source=scripts/common.sh
. "$ROOT/scripts/common.sh"

say() { printf '== %s\n' "$*"; }

# A short hash of everything that decides how a part is built.
key() { printf '%s\n' "$@" | sha256sum | cut -c1-12; }

# The CMake toolchain for MinGW-w64 with POSIX threads: it decides how every part is built, so its
# text is in every part's key.
TOOLCHAIN=$ROOT/cmake/toolchains/$TRIPLE.cmake
TOOLCHAIN_TEXT=$(cat "$TOOLCHAIN")

STAGES=(packages sources qt gtest deps licenses wine build tests smoke package install)
# shellcheck source=scripts/windows/packages.sh
. "$ROOT/scripts/windows/packages.sh"
# shellcheck source=scripts/windows/sources.sh
. "$ROOT/scripts/windows/sources.sh"
# shellcheck source=scripts/windows/qt.sh
. "$ROOT/scripts/windows/qt.sh"
# shellcheck source=scripts/windows/gtest.sh
. "$ROOT/scripts/windows/gtest.sh"
# shellcheck source=scripts/windows/deps.sh
. "$ROOT/scripts/windows/deps.sh"
# shellcheck source=scripts/windows/licenses.sh
. "$ROOT/scripts/windows/licenses.sh"
# shellcheck source=scripts/windows/wine.sh
. "$ROOT/scripts/windows/wine.sh"
# shellcheck source=scripts/windows/build.sh
. "$ROOT/scripts/windows/build.sh"
# shellcheck source=scripts/windows/tests.sh
. "$ROOT/scripts/windows/tests.sh"
# shellcheck source=scripts/windows/smoke.sh
. "$ROOT/scripts/windows/smoke.sh"
# shellcheck source=scripts/windows/package.sh
. "$ROOT/scripts/windows/package.sh"
# shellcheck source=scripts/windows/install.sh
. "$ROOT/scripts/windows/install.sh"

main() {
  local stages=("$@")
  [ "${#stages[@]}" -gt 0 ] || stages=("${STAGES[@]}")
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
