# Shared by run.sh and test.sh: installs the Debian packages the project needs, once.
# shellcheck shell=bash

LEXARO_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # the document helper: ZIP, XML and HTML, PDF, Markdown
  libzip-dev libxml2-dev libpoppler-cpp-dev libcmark-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
  # end-to-end tests on a real X server, and the packaging checks
  xvfb xauth xdotool imagemagick xclip libx11-dev libxfixes-dev
  desktop-file-utils appstream dpkg-dev file
  # password-protected PDF fixtures
  qpdf
  # fuzzing and static analysis
  clang libclang-rt-14-dev clang-tidy cppcheck
)

lexaro_missing_packages() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
      printf '%s\n' "$pkg"
    fi
  done
}

lexaro_install_packages() {
  local missing
  mapfile -t missing < <(lexaro_missing_packages "$@")
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    "${missing[@]}"
}
