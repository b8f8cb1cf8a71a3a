# scripts/windows.sh, stage sources: sourced by it.
# shellcheck shell=bash

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

# The compiler's runtime shipped beside the programs (libstdc++, libgcc) is GCC's, under the GPL
# with GCC's runtime exception, so its sources go into the sources zip as well: the GCC sources the
# installed runtime package was built from (its Built-Using field), asked of dpkg once the packages
# stage has installed it.
RUNTIME_PACKAGE=gcc-mingw-w64-x86-64-posix-runtime
runtime_sources() {
  local built_using
  built_using=$(dpkg-query -W -f='${Built-Using}' "$RUNTIME_PACKAGE") ||
    { echo "$RUNTIME_PACKAGE is not installed: run the packages stage" >&2; return 1; }
  sed -E 's/ \(= ([^)]*)\)/=\1/g; s/, */\n/g' <<<"$built_using" | sed '/^$/d'
}

stage_sources() {
  mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial" "$CACHE/src"
  cat >"$APT_DIR/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
  local wanted missing=() runtime
  runtime=$(runtime_sources)
  for wanted in "${SOURCES[@]}" $runtime; do
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
