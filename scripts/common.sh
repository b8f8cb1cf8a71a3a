# Shared by run.sh and test.sh: installs the Debian packages the project needs, once.
# shellcheck shell=bash

# Building and running the program: what run.sh installs.
LEXARO_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  # the document helper: ZIP, XML and HTML, PDF, Markdown, right-to-left order, Kindle books,
  # DjVu, Word 97-2003's compound files, text recognition of scans and its English data; poppler's
  # CJK tables; its lock-down
  libzip-dev libxml2-dev libpoppler-cpp-dev libpoppler-private-dev libcmark-gfm-dev
  libcmark-gfm-extensions-dev libicu-dev
  libmobi-dev libdjvulibre-dev libgsf-1-dev libtesseract-dev libleptonica-dev tesseract-ocr-eng
  poppler-data libseccomp-dev
  fonts-liberation
  # Qt's native platform on Wayland desktops (without it Qt runs through XWayland)
  qt6-wayland
)

# What bench.sh needs besides: the tesseract command, which the text recognition benchmark
# measures the helper against, and ImageMagick, which typesets its scanned pages.
LEXARO_BENCH_PACKAGES=(tesseract-ocr imagemagick)
# Everything else test.sh needs, on top of LEXARO_PACKAGES.
LEXARO_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  # end-to-end tests on a real X server, and the packaging checks
  xvfb xdotool imagemagick xclip libx11-dev libxfixes-dev
  desktop-file-utils appstream dpkg-dev file
  # password-protected PDF fixtures
  qpdf
  # end-to-end on Wayland: a headless compositor, its key presser and screenshots
  sway wtype grim
  # the window through AT-SPI, as a screen reader sees it
  at-spi2-core python3-pyatspi dbus-daemon dbus-bin
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
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      {
        echo "These Debian packages are missing: ${missing[*]}"
        echo "Installing them needs root, and this user is not root and has no sudo."
        echo "As root, run:"
        echo "  apt-get update && apt-get install -y ${missing[*]}"
      } >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    "${missing[@]}"
}
