# scripts/windows.sh, stage packages: sourced by it.
# shellcheck shell=bash

LEXARO_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-tools libz-mingw-w64-dev
  wine wine64 nsis
  # Debian's sources are unpacked by dpkg-source; the host Qt tools (moc, rcc, uic) run the build;
  # GoogleTest's sources; the project's own sources go into the sources zip with git
  dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools googletest poppler-data zip unzip git
  # the Wine runs: fonts, a virtual display, screenshots and the clipboard
  fonts-liberation fonts-dejavu-core xvfb xdotool imagemagick xclip python3
)

stage_packages() {
  lexaro_install_packages "${LEXARO_WINDOWS_PACKAGES[@]}"
}
