# scripts/windows.sh, stage wine: sourced by it.
# shellcheck shell=bash

# Wine, in a prefix of the cache's own. Wine does not pass Qt's variables on from Linux, so the
# prefix's registry gives every program its environment: the test suites run on Qt's offscreen
# platform with Debian's Liberation and DejaVu fonts; the real window is asked for with
# -platform windows.
export WINEPREFIX=$CACHE/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_env() {
  timeout 60 wine reg add 'HKCU\Environment' /v "$1" /d "$2" /f >/dev/null 2>&1
}
stage_wine() {
  if [ -f "$WINEPREFIX/.lexaro-2" ]; then
    return 0
  fi
  say "wine: making the prefix $WINEPREFIX"
  timeout 300 wineboot --init >/dev/null 2>&1
  # The offscreen platform reads one folder of fonts: Debian's Liberation and DejaVu faces.
  mkdir -p "$CACHE/fonts"
  ln -sf /usr/share/fonts/truetype/liberation/*.ttf /usr/share/fonts/truetype/dejavu/*.ttf \
    "$CACHE/fonts/"
  wine_env QT_QPA_PLATFORM offscreen
  wine_env QT_QPA_FONTDIR "$(winepath -w "$CACHE/fonts")"
  timeout 120 wineserver -w
  touch "$WINEPREFIX/.lexaro-2"
}
