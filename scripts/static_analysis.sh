#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck over the program's own sources, using the
# compile commands of a configured build. Fails on any finding.
#
#   scripts/static_analysis.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "$1")
# Only the sources this build compiles: the Windows-only ones (the *_win.cpp files) are checked by
# the cross build (scripts/windows.sh).
mapfile -t SOURCES < <(git ls-files 'engine/*.cpp' 'formats/*.cpp' 'ui/*.cpp' 'app/*.cpp' 'documents/*.cpp' 'helper/*.cpp' |
  while read -r source; do
    if grep -qF "\"file\": \"$PWD/$source\"" "$BUILD/compile_commands.json"; then
      echo "$source"
    fi
  done)

# The document helper's sources are under the GPL (it links poppler), and what both processes link
# is under the MIT licence: each file says so.
echo "== licence lines"
UNMARKED=$(
  git ls-files 'documents/*.cpp' 'documents/*.h' 'documents/CMakeLists.txt' |
    while read -r source; do
      grep -q 'SPDX-License-Identifier: GPL-2.0-or-later' <(head -n 1 "$source") || echo "$source"
    done
  git ls-files 'formats/*.cpp' 'formats/*.h' 'formats/*.in' 'helper/*.cpp' 'helper/*.h' \
    'helper/CMakeLists.txt' |
    while read -r source; do
      grep -q 'SPDX-License-Identifier: MIT' <(head -n 1 "$source") || echo "$source"
    done
)
if [ -n "$UNMARKED" ]; then
  echo "these files lack their SPDX line (GPL-2.0-or-later in documents/, MIT in formats/ and helper/):"
  echo "$UNMARKED"
  exit 1
fi

echo "== clang-tidy (${#SOURCES[@]} files)"
# The build uses GCC; clang-tidy parses with clang, which does not know a few GCC-only warnings.
printf '%s\n' "${SOURCES[@]}" | xargs -P "$(nproc)" -n 1 clang-tidy --quiet -p "$BUILD" \
  --extra-arg=-Wno-unknown-warning-option >"$BUILD/clang-tidy.log" 2>&1 || true
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated' "$BUILD/clang-tidy.log" || true
if grep -q -E '(warning|error):' "$BUILD/clang-tidy.log"; then
  echo "clang-tidy found problems"
  exit 1
fi

echo "== cppcheck"
cppcheck --quiet --project="$BUILD/compile_commands.json" --library=qt \
  --enable=warning,performance,portability --inline-suppr --error-exitcode=1 \
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
  --file-filter="$PWD/engine/*" --file-filter="$PWD/formats/*" --file-filter="$PWD/ui/*" --file-filter="$PWD/app/*" --file-filter="$PWD/documents/*" --file-filter="$PWD/helper/*" \
  -D__GNUC__ -DQ_OS_UNIX -DQ_OS_LINUX
echo "static analysis: clean"
