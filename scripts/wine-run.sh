#!/usr/bin/env bash
# Runs a Windows executable under wine64, quietly, for CMake and ctest:
#   wine-run.sh [--default-prefix DIR] program.exe [args...]
# The wine prefix is $WINEPREFIX, else DIR (the build tree's own), else
# ~/.wine; it is created on first use, once even when tests start together.
# Carriage returns of the program's text-mode output are dropped so that
# gtest_discover_tests reads plain test names.
set -euo pipefail

default_prefix="${HOME:-/tmp}/.wine"
if [ "${1:-}" = "--default-prefix" ]; then
  default_prefix="$2"
  shift 2
fi
export WINEPREFIX="${WINEPREFIX:-$default_prefix}"
export WINEDEBUG=-all
# No Mono or Gecko installers when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
export WINELOADER="$wine"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine" wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi

"$wine" "$@" | tr -d '\r'
