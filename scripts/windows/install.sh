# scripts/windows.sh, stage install: sourced by it.
# shellcheck shell=bash

# The installer under Wine, silent, for the current user and then for all users: it installs the
# program, its Start-menu entry, "Open with" and its uninstall record; the installed copy, with
# only the DLLs the installer carried, opens a book; and the uninstaller leaves no file and no
# registry key behind. Screenshots in build/windows/install.
prefix_files() {
  (cd "$WINEPREFIX/drive_c" &&
    find . \( -path './users/*/Temp' -o -path './windows/temp' \) -prune -o -print | sort)
}
prefix_keys() {
  grep -h '^\[' "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" | sed 's/\] [0-9]*$/]/' | sort
}
reg_has() { timeout 60 wine reg query "$1" /v "$2" >/dev/null 2>&1; }
no_difference() { diff "$1" "$2" >"$3"; }

install_mode() { # CurrentUser or AllUsers, its registry root (HKCU or HKLM), the folder expected
  local mode=$1 root=$2 folder=$WINEPREFIX/drive_c/$3 out=$BUILD/install/$1 status=0
  mkdir -p "$out"
  make_books "$out"
  # One display for the whole Wine session: the installer's and the program's.
  timeout 60 wineserver -w || true
  display_start "$out/xvfb.log"
  prefix_files >"$out/files-before.txt"
  prefix_keys >"$out/keys-before.txt"
  # Twice: a second install goes over the first, and one uninstall must still remove it all.
  timeout 300 wine "$(winepath -w "$BUILD/Lexaro-$VERSION-setup.exe")" /S "/$mode" || status=$?
  timeout 300 wine "$(winepath -w "$BUILD/Lexaro-$VERSION-setup.exe")" /S "/$mode" || status=$?
  expect "$mode: the installer, run twice, ends with status 0 (got $status)" test "$status" = 0
  expect "$mode: Lexaro.exe is in $3" test -f "$folder/Lexaro.exe"
  expect "$mode: the Start menu has Lexaro" test -n "$(find "$WINEPREFIX/drive_c" -name Lexaro.lnk)"
  local classes="$root\\Software\\Classes"
  expect "$mode: Lexaro is in Open with for .epub" reg_has "$classes\\.epub\\OpenWithProgids" \
    Lexaro.Document
  expect "$mode: the uninstall record" \
    reg_has "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexaro" UninstallString

  expect "$mode: every program and DLL installed has its licence in licenses/" \
    every_dll_licensed "$folder"
  opens_book "$mode" "$out" "$folder/Lexaro.exe"

  # The uninstaller copies itself away and runs from there: wait for the folder to go.
  status=0
  timeout 120 wine "$(winepath -w "$folder/Uninstall.exe")" /S || status=$?
  expect "$mode: the uninstaller starts (status $status)" test "$status" = 0
  expect "$mode: the uninstaller removes the folder" wait_for 60 test ! -e "$folder"
  timeout 60 wineserver -w || true
  display_stop
  prefix_files >"$out/files-after.txt"
  prefix_keys >"$out/keys-after.txt"
  expect "$mode: no file is left" no_difference "$out/files-before.txt" "$out/files-after.txt" \
    "$out/files-left.txt"
  expect "$mode: no registry key is left" no_difference "$out/keys-before.txt" \
    "$out/keys-after.txt" "$out/keys-left.txt"
}

# A shipped Lexaro.exe, with only the DLLs shipped beside it, opens OUT/book.epub.
opens_book() { # label out exe
  app_start "$2" env -u WINEPATH timeout 120 wine "$(winepath -w "$3")" -platform windows \
    "$(winepath -w "$2/book.epub")"
  expect "$1: Lexaro.exe opens a book with only what was shipped" app_window
  expect "$1: its text is in the box" wait_for 30 box_holds "$2/book.png" "$BOOK_TEXT"
  app_exit
}

# Every program and DLL in FOLDER is named in its licenses/files.txt, with its licences (a list
# after the colon) there, each a file or a folder holding one.
every_dll_licensed() { # folder
  local folder=$1 file name licences licence missing=()
  [ -f "$folder/licenses/files.txt" ] || { echo "no licenses/files.txt in $folder"; return 1; }
  while IFS= read -r file; do
    name=${file#"$folder"/}
    [ "$name" != Uninstall.exe ] || continue
    licences=$(awk -F': ' -v name="$name" '{ sub(/\r$/, "") } $1 == name { print $2 }' \
      "$folder/licenses/files.txt")
    [ -n "$licences" ] || missing+=("$name")
    while IFS= read -r licence; do
      [ -n "$(find "$folder/$licence" -type f -size +0 2>/dev/null)" ] || missing+=("$name")
    done < <(tr ',' '\n' <<<"$licences" | sed 's/^ *//')
  done < <(find "$folder" -type f \( -iname '*.dll' -o -iname '*.exe' \) | sort)
  [ "${#missing[@]}" -eq 0 ] || { echo "   without a licence: ${missing[*]}"; return 1; }
}

# The sources zip holds every file of the GPL and LGPL parts' source packages, and this project's.
sources_complete() {
  local listing file wanted
  listing=$(unzip -Z1 "$BUILD/Lexaro-$VERSION-sources.zip") || return 1
  for wanted in $(gpl_sources); do
    while IFS= read -r file; do
      grep -qxF "${file##*/}" <<<"$listing" || { echo "   not in the sources zip: ${file##*/}"; return 1; }
    done < <(source_package_files "$wanted")
  done
  grep -qxF "lexaro-$VERSION-source.tar.gz" <<<"$listing"
}

# The portable zip, unpacked into a fresh folder, opens a book with nothing else on its path.
portable_check() {
  local out=$BUILD/install/portable
  mkdir -p "$out"
  make_books "$out"
  unzip -q "$BUILD/Lexaro-$VERSION-portable.zip" -d "$out"
  expect "portable: every program and DLL has its licence in licenses/" \
    every_dll_licensed "$out/Lexaro-$VERSION-portable"
  display_start "$out/xvfb.log"
  opens_book portable "$out" "$out/Lexaro-$VERSION-portable/Lexaro.exe"
  timeout 60 wineserver -w || true
  display_stop
}

stage_install() {
  stage_wine
  rm -rf "$BUILD/install"
  mkdir -p "$BUILD/install"
  local failed_before=$FAILED
  WORK=$BUILD/install
  step "install: the sources zip, the portable zip, the installer"
  expect "the sources zip holds the source packages of $(gpl_sources | tr '\n' ' ')and Lexaro's" \
    sources_complete
  portable_check
  install_mode CurrentUser HKCU "users/$(id -un)/AppData/Local/Programs/Lexaro"
  install_mode AllUsers HKLM "Program Files/Lexaro"
  [ "$FAILED" = "$failed_before" ] || { echo "screenshots and lists: $BUILD/install"; return 1; }
}
