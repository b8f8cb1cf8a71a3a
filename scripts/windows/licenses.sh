# scripts/windows.sh, stage licenses: sourced by it.
# shellcheck shell=bash

# The licences of Qt and the helper's libraries, from the source packages they are built from: one
# folder per package with Debian's debian/copyright and the upstream licence files (those of the
# top folder, of LICENSES/ and docs/, and of the libraries Qt bundles in src/3rdparty/). The build
# installs them as licenses/; the MinGW runtime's come from its Debian packages when installing.
LICENSE_FILES='(copying|copyright|licen[cs]e|ftl|l?gpl)[^/]*'
LICENSE_PATHS="^[^/]+/(LICENSES/[^/]+|((docs|src/3rdparty/[^/]+)/)?$LICENSE_FILES)\$"
LICENSES_DIR=$CACHE/licenses-$(key "${SOURCES[@]}" "$LICENSE_PATHS")

# The upstream tarball of source package NAME at VERSION (not its extra components').
orig_tarball() { # name version
  local upstream=${2%-*} file
  for file in "$CACHE/src/${1}_${upstream}".orig.tar.{xz,gz,bz2}; do
    [ ! -f "$file" ] || { printf '%s\n' "$file"; return 0; }
  done
  echo "no upstream tarball of $1 $2 in $CACHE/src" >&2
  return 1
}

stage_licenses() {
  if [ -f "$LICENSES_DIR/.done" ]; then
    say "licenses: in the cache ($LICENSES_DIR)"
    return 0
  fi
  rm -rf "$LICENSES_DIR"
  local wanted name version orig folder count
  for wanted in "${SOURCES[@]}"; do
    name=${wanted%%=*} version=${wanted#*=}
    folder=$LICENSES_DIR/$name
    mkdir -p "$folder"
    tar -xOf "$CACHE/src/${name}_${version}.debian.tar.xz" debian/copyright >"$folder/copyright"
    orig=$(orig_tarball "$name" "$version")
    # The files keep their paths below the top folder, which tar drops.
    tar -tf "$orig" | grep -iE "$LICENSE_PATHS" >"$CACHE/license-files.txt" || true
    tar -xf "$orig" -C "$folder" --strip-components=1 -T "$CACHE/license-files.txt"
    count=$(find "$folder" -type f | wc -l)
    [ "$count" -ge 2 ] || { echo "licenses: $name has no licence file beside its copyright" >&2; return 1; }
    say "licenses: $name, $count files"
  done
  rm -f "$CACHE/license-files.txt"
  touch "$LICENSES_DIR/.done"
}
