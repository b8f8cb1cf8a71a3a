# scripts/windows.sh, stage package: sourced by it.
# shellcheck shell=bash

# The installer and the portable zip are CPack's (NSIS and ZIP, cmake/WindowsPackage.cmake): what
# `cmake --install` puts in place, with the DLLs found in the programs' import tables. Beside them,
# the sources of what ships under the GPL or the LGPL: Debian's source packages of Qt, poppler,
# FreeType and the compiler's runtime (as Debian publishes them: .dsc, upstream and Debian
# tarballs), and this project's own sources, which lexaro-extract.exe is built from.
VERSION=$(sed -n 's/^set(LEXARO_FILE_VERSION "\(.*\)")/\1/p' "$ROOT/CMakeLists.txt")

# NAME=VERSION of each source package whose sources go into the sources zip.
gpl_sources() {
  local wanted
  for wanted in "${SOURCES[@]}"; do
    case ${wanted%%=*} in qt6-base | poppler | freetype) printf '%s\n' "$wanted" ;; esac
  done
  runtime_sources
}

# The files of source package NAME=VERSION, as its .dsc lists them, and the .dsc itself.
source_package_files() { # name=version
  local dsc=$CACHE/src/${1%%=*}_${1#*=}.dsc
  [ -f "$dsc" ] || { echo "no $dsc: run the sources stage" >&2; return 1; }
  printf '%s\n' "$dsc"
  sed -n '/^Files:/,/^[^ ]/s/^ [0-9a-f]\{32\} [0-9]* //p' "$dsc" | sed "s|^|$CACHE/src/|"
}

stage_package() {
  windows_environment
  rm -f "$BUILD"/Lexaro-*-setup.exe "$BUILD"/Lexaro-*-portable.zip "$BUILD"/Lexaro-*-sources.zip
  cmake --build --preset windows --target package
  local sources=$BUILD/Lexaro-$VERSION-sources.zip wanted files=()
  for wanted in $(gpl_sources); do
    mapfile -t -O "${#files[@]}" files < <(source_package_files "$wanted")
  done
  git -C "$ROOT" archive --format=tar.gz --prefix="lexaro-$VERSION/" \
    -o "$BUILD/lexaro-$VERSION-source.tar.gz" HEAD
  files+=("$BUILD/lexaro-$VERSION-source.tar.gz")
  # The tarballs are compressed already: stored as they are.
  zip -q -0 -j "$sources" "${files[@]}"
  rm -f "$BUILD/lexaro-$VERSION-source.tar.gz"
  say "package: $(du -h "$BUILD/Lexaro-$VERSION-setup.exe" | cut -f1) installer," \
    "$(du -h "$BUILD/Lexaro-$VERSION-portable.zip" | cut -f1) zip," \
    "$(du -h "$sources" | cut -f1) sources"
}
