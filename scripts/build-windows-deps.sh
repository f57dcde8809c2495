#!/usr/bin/env bash
# Builds the Windows (MinGW-w64) dependencies as static libraries into one
# prefix, from the Debian 12 sources of the versions the Linux build uses:
# OpenSSL, SQLCipher, fmt, spdlog, GoogleTest, curl; header-only ones (Boost,
# nlohmann-json, CLI11) are linked in from the Debian packages, cpp-httplib's
# single header comes from its source package.
#   build-windows-deps.sh                 build if needed; last line: the prefix
#   build-windows-deps.sh --print-prefix  print the prefix; fail if not built
# The prefix is ${SMS_WIN_DEPS:-/var/cache/smslogic-win}/<key>, where the key
# follows this script and the toolchain file, so a changed recipe rebuilds;
# a second run with a complete prefix takes a moment. Progress goes to
# stderr, build logs to <prefix>.logs/.
set -euo pipefail
start=$SECONDS
root="$(cd "$(dirname "$0")/.." && pwd)"
toolchain="$root/cmake/mingw-w64.cmake"
cache="${SMS_WIN_DEPS:-/var/cache/smslogic-win}"
key=$(cat "$0" "$toolchain" | sha256sum | cut -c1-12)
prefix="$cache/$key"
jobs="${SMS_WIN_JOBS:-2}"
triple=x86_64-w64-mingw32

say() { echo "build-windows-deps: $*" >&2; }

if [ "${1:-}" = "--print-prefix" ]; then
  echo "$prefix"
  [ -f "$prefix/.complete" ]
  exit
fi

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
  local packages=(
    g++-mingw-w64-x86-64 mingw-w64 wine64       # the cross compilers, the test runner
    cmake make pkg-config dpkg-dev tcl          # dpkg-source unpacks, tclsh builds SQLCipher
    ca-certificates debian-archive-keyring
    libboost-dev nlohmann-json3-dev libcli11-dev # header-only, shared with the Linux build
  )
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# Source packages, downloaded once into $cache/src through a private apt
# state (a deb-src list of its own), so the system's apt setup is untouched.
sources=(openssl sqlcipher spdlog fmtlib googletest curl cpp-httplib)
fetch_sources() {
  local src="$cache/src" stamp
  stamp="$src/.fetched-$(echo "${sources[*]}" | sha256sum | cut -c1-12)"
  [ -f "$stamp" ] && return
  say "fetching sources: ${sources[*]}"
  mkdir -p "$src/apt/lists/partial" "$src/apt/cache/archives/partial" "$src/apt/sources"
  cat >"$src/apt/sources/debian-src.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  local apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null
    -o "Dir::Etc::SourceParts=$src/apt/sources" -o "Dir::State::Lists=$src/apt/lists"
    -o "Dir::Cache=$src/apt/cache" -o "APT::Sandbox::User=$(id -un)")
  "${apt[@]}" update
  (cd "$src" && "${apt[@]}" source --download-only "${sources[@]}" >/dev/null)
  touch "$stamp"
}

# Unpacks a source package (patches applied) into the build folder: prints its path.
unpack() {
  local dsc
  dsc=$(ls "$cache/src/$1"_*.dsc | sort -V | tail -1)
  rm -rf "$work/$1"
  dpkg-source --no-check -q -x "$dsc" "$work/$1" >/dev/null 2>&1
  echo "$work/$1"
}

# run <log-name> <command...>: quiet unless it fails.
run() {
  local log="$logs/$1.log"; shift
  if ! "$@" >>"$log" 2>&1; then
    say "failed: $* (log: $log)"
    tail -30 "$log" >&2
    exit 1
  fi
}

cmake_package() {
  local name="$1" dir="$2"; shift 2
  say "$name"
  run "$name" env SMS_WIN_PREFIX="$prefix" cmake -S "$dir" -B "$dir/_build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
    -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF "$@"
  run "$name" cmake --build "$dir/_build" -j "$jobs"
  run "$name" cmake --install "$dir/_build"
}

build_openssl() {
  local dir; dir=$(unpack openssl)
  say "openssl"
  cd "$dir"
  run openssl ./Configure mingw64 no-shared no-tests \
    --cross-compile-prefix=$triple- --prefix="$prefix" --libdir=lib
  run openssl make -j "$jobs" build_libs
  run openssl make install_dev
}

build_sqlcipher() {
  local dir; dir=$(unpack sqlcipher)
  say "sqlcipher"
  cd "$dir"
  # The EXEEXT settings make configure pick the Windows OS layer (os_win.c).
  run sqlcipher env config_TARGET_EXEEXT=.exe config_BUILD_EXEEXT= ./configure \
    --host=$triple --prefix="$prefix" --disable-tcl --disable-shared --enable-static \
    --enable-tempstore=yes --disable-readline \
    CFLAGS="-O2 -DSQLITE_HAS_CODEC -I$prefix/include" LDFLAGS="-L$prefix/lib" \
    LIBS="-lcrypto -lws2_32 -lcrypt32"
  grep -q '^TEXE = .exe' Makefile || { say "sqlcipher: not configured for Windows"; exit 1; }
  # Host tools (lemon, mkkeywordhash) are built and run without .exe.
  cp tool/lempar.c .
  run sqlcipher make BEXE= lemon keywordhash.h
  run sqlcipher make BEXE= -j "$jobs" libsqlcipher.la
  run sqlcipher make BEXE= lib_install
  $triple-nm .libs/libsqlcipher.a 2>/dev/null | grep -q sqlite3_win32_sleep \
    || { say "sqlcipher: the Windows OS layer is missing"; exit 1; }
  mkdir -p "$prefix/include/sqlcipher" "$prefix/lib/pkgconfig"
  cp sqlite3.h src/sqlite3ext.h "$prefix/include/sqlcipher/"
  # What Debian's sqlcipher.pc says, plus what a static archive needs.
  cat >"$prefix/lib/pkgconfig/sqlcipher.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SQLCipher
Description: SQL database engine with encryption (static, Windows)
Version: 3.4.1
Libs: -L\${libdir} -lsqlcipher -lcrypto -lws2_32 -lcrypt32
Cflags: -I\${includedir}/sqlcipher -DSQLITE_HAS_CODEC
EOF
}

build_cmake_packages() {
  cmake_package fmt "$(unpack fmtlib)" -DFMT_TEST=OFF -DFMT_DOC=OFF
  cmake_package spdlog "$(unpack spdlog)" -DSPDLOG_FMT_EXTERNAL=ON \
    -DSPDLOG_BUILD_SHARED=OFF -DSPDLOG_BUILD_EXAMPLE=OFF -DSPDLOG_BUILD_TESTS=OFF
  cmake_package googletest "$(unpack googletest)" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
  cmake_package curl "$(unpack curl)" -DHTTP_ONLY=ON -DCURL_USE_OPENSSL=ON \
    -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF \
    -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBSSH2=OFF \
    -DCURL_USE_LIBPSL=OFF -DENABLE_MANUAL=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DENABLE_UNIX_SOCKETS=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
}

# Header-only dependencies: the Debian packages' headers, through links, so
# that /usr/include itself never reaches the Windows compile line. Their CMake
# package files are linked too: they locate headers relative to themselves.
link_header_only() {
  local dir; dir=$(unpack cpp-httplib)
  say "header-only: boost, nlohmann-json, CLI11, cpp-httplib"
  # Debian's own httplib.h declares a compiled library: take the whole header.
  cp "$dir/httplib.h" "$prefix/include/httplib.h"
  ln -sfn /usr/include/boost "$prefix/include/boost"
  ln -sfn /usr/include/nlohmann "$prefix/include/nlohmann"
  ln -sfn /usr/include/CLI "$prefix/include/CLI"
  mkdir -p "$prefix/share/cmake"
  ln -sfn /usr/share/cmake/nlohmann_json "$prefix/share/cmake/nlohmann_json"
  ln -sfn /usr/share/cmake/CLI11 "$prefix/share/cmake/CLI11"
  cat >"$prefix/lib/pkgconfig/cpp-httplib.pc" <<EOF
prefix=$prefix
includedir=\${prefix}/include

Name: cpp-httplib
Description: HTTP server and client (header-only, Windows)
Version: 0.11.4
Libs: -lws2_32
Cflags: -I\${includedir}
EOF
}

check_curl_static() {
  grep -rq CURL_STATICLIB "$prefix/lib/cmake/CURL/" \
    || { say "curl: the installed package does not define CURL_STATICLIB"; exit 1; }
}

main() {
  mkdir -p "$cache" 2>/dev/null || as_root mkdir -p "$cache"
  [ -w "$cache" ] || as_root chown "$(id -u):$(id -g)" "$cache"
  exec 8>"$cache/.lock"
  flock 8
  if [ ! -f "$prefix/.complete" ]; then
    install_packages
    fetch_sources
    work="$prefix.build"
    logs="$prefix.logs"
    rm -rf "$prefix" "$work" "$logs"
    mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" "$work" "$logs"
    build_openssl
    build_sqlcipher
    build_cmake_packages
    check_curl_static
    link_header_only
    rm -rf "$work"
    touch "$prefix/.complete"
    say "built in $((SECONDS - start)) s"
  else
    say "cached ($((SECONDS - start)) s)"
  fi
  echo "$prefix"
}

main "$@"
