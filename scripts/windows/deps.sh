# scripts/windows.sh, stage deps: sourced by it.
# shellcheck shell=bash

# The document helper's libraries, each with only what reading text needs: no network, no
# encryption, no image decoders, no compressors beyond ZIP's deflate (zlib is Debian's MinGW build).
# MinGW has no iconv; poppler's C++ interface gets the two conversions it makes from
# scripts/windows/iconv.c. ICU is built as its common library only, with no data: the helper asks
# it for right-to-left order, and those properties are compiled into the library.
LIBZIP_FLAGS=(-DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
  -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF
  -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF)
LIBXML2_FLAGS=(-DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_LZMA=OFF
  -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF
  -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF
  -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF)
CMARK_FLAGS=(-DCMARK_TESTS=OFF -DCMARK_STATIC=OFF -DCMARK_SHARED=ON)
FREETYPE_FLAGS=(-DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON)
# poppler's own headers are installed as well: the helper reads a PDF's words with poppler's text
# device, one for all the pages (documents/pdf_text.cpp).
POPPLER_FLAGS=(-DENABLE_UTILS=OFF -DENABLE_CPP=ON -DENABLE_UNSTABLE_API_ABI_HEADERS=ON
  -DENABLE_GLIB=OFF -DENABLE_GOBJECT_INTROSPECTION=OFF -DENABLE_QT5=OFF -DENABLE_QT6=OFF -DENABLE_BOOST=OFF
  -DENABLE_LIBOPENJPEG=none -DENABLE_DCTDECODER=none -DENABLE_CMS=none -DENABLE_LIBCURL=OFF
  -DENABLE_ZLIB=OFF -DENABLE_NSS3=OFF -DENABLE_GPGME=OFF -DWITH_NSS3=OFF -DWITH_Cairo=OFF
  -DWITH_TIFF=OFF -DWITH_PNG=OFF -DBUILD_GTK_TESTS=OFF -DBUILD_QT5_TESTS=OFF -DBUILD_QT6_TESTS=OFF
  -DBUILD_CPP_TESTS=OFF -DBUILD_MANUAL_TESTS=OFF -DRUN_GPERF_IF_PRESENT=OFF
  -DFONT_CONFIGURATION=win32)
ICU_FLAGS=(--disable-tools --disable-tests --disable-samples --disable-extras --disable-icuio
  --disable-layoutex --enable-shared --disable-static)
DEPS_PREFIX=$CACHE/deps-$(key "${DEPS_SOURCES[@]}" "${LIBZIP_FLAGS[@]}" "${LIBXML2_FLAGS[@]}" \
  "${CMARK_FLAGS[@]}" "${FREETYPE_FLAGS[@]}" "${POPPLER_FLAGS[@]}" "${ICU_FLAGS[@]}" \
  "$(cat "$ROOT"/scripts/windows/iconv.[ch])" "$(uname -m)" "$TOOLCHAIN_TEXT")

version_of() { # name: its pinned version in DEPS_SOURCES
  local wanted
  for wanted in "${DEPS_SOURCES[@]}"; do
    [ "${wanted%%=*}" != "$1" ] || printf '%s\n' "${wanted#*=}"
  done
}

# Cross-builds the CMake project of source package NAME (its folder SUBDIR) into DEPS_PREFIX.
cmake_dep() { # name subdir flags...
  local name=$1 subdir=$2 src start=$SECONDS
  shift 2
  [ ! -f "$DEPS_PREFIX/.built-$name" ] || return 0
  src=$(unpack "$name" "$(version_of "$name")")
  local build=$CACHE/work/$name-build log=$CACHE/work/$name.log
  rm -rf "$build"
  {
    cmake -S "$src/$subdir" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
      -DLEXARO_WINDOWS_PREFIXES="$DEPS_PREFIX" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX" "$@" &&
      cmake --build "$build" -j "$JOBS" && cmake --install "$build"
  } >"$log" 2>&1 || { tail -30 "$log"; return 1; }
  rm -rf "$build" "$src"
  touch "$DEPS_PREFIX/.built-$name"
  say "deps: $name $((SECONDS - start)) s"
}

icu_dep() {
  local src start=$SECONDS log=$CACHE/work/icu.log
  [ ! -f "$DEPS_PREFIX/.built-icu" ] || return 0
  src=$(unpack icu "$(version_of icu)")
  # ICU's cross build wants a configured build for this machine beside it; with no data and no
  # tools to build, its configuration is all it is asked for.
  local native=$CACHE/work/icu-native cross=$CACHE/work/icu-cross
  rm -rf "$native" "$cross"
  mkdir -p "$native" "$cross"
  {
    (cd "$native" && "$src/source/configure" --disable-tests --disable-samples &&
      make config/icucross.mk config/icucross.inc) &&
      (cd "$cross" && "$src/source/configure" --host=$TRIPLE --prefix="$DEPS_PREFIX" \
        --with-cross-build="$native" "${ICU_FLAGS[@]}" CC=$TRIPLE-gcc-posix \
        CXX=$TRIPLE-g++-posix && mkdir -p lib bin &&
        make -j "$JOBS" -C stubdata && make -j "$JOBS" -C common &&
        make -C stubdata install && make -C common install && make install-pkgconfig)
  } >"$log" 2>&1 || { tail -30 "$log"; return 1; }
  rm -rf "$native" "$cross" "$src"
  touch "$DEPS_PREFIX/.built-icu"
  say "deps: icu $((SECONDS - start)) s"
}

stage_deps() {
  if [ -f "$DEPS_PREFIX/.done" ]; then
    say "deps: in the cache ($DEPS_PREFIX)"
    return 0
  fi
  say "deps: building into $DEPS_PREFIX (about ten minutes on two cores)"
  # (A run cut short resumes: each library marks itself built.)
  mkdir -p "$DEPS_PREFIX/include" "$DEPS_PREFIX/lib"
  export PKG_CONFIG_LIBDIR=$DEPS_PREFIX/lib/pkgconfig
  mkdir -p "$CACHE/work"
  cp "$ROOT/scripts/windows/iconv.h" "$DEPS_PREFIX/include/"
  $TRIPLE-gcc-posix -O2 -c "$ROOT/scripts/windows/iconv.c" -o "$CACHE/work/iconv.o"
  $TRIPLE-ar rcs "$DEPS_PREFIX/lib/libiconv.a" "$CACHE/work/iconv.o"
  cmake_dep libzip . "${LIBZIP_FLAGS[@]}"
  cmake_dep libxml2 . "${LIBXML2_FLAGS[@]}"
  cmake_dep cmark-gfm . "${CMARK_FLAGS[@]}"
  cmake_dep freetype . "${FREETYPE_FLAGS[@]}"
  cmake_dep poppler . "${POPPLER_FLAGS[@]}"
  icu_dep
  touch "$DEPS_PREFIX/.done"
}
