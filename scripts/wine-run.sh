#!/usr/bin/env bash
# Runs a Windows executable under wine64, quietly, for CMake and ctest:
#   wine-run.sh [--default-prefix DIR] program.exe [args...]
#   wine-run.sh --stop     ends the prefix's wineserver and the keeper below
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
if [ "${1:-}" = "--stop" ]; then
  # The keeper is a process group of its own. Then wait until the server is
  # gone: a program started meanwhile would attach to the dying server.
  [ ! -f "$WINEPREFIX.keeper" ] || kill -- -"$(cat "$WINEPREFIX.keeper")" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  exit 0
fi
export WINEDEBUG=-all
# No Mono or Gecko installers when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
export WINELOADER="$wine"

# The prefix's own programs (services.exe and the like) inherit the output of
# the program that happens to start them and live while any program of the
# prefix runs, so ctest, waiting for that output to close, would end tests
# run side by side only together. A keeper started here with no output
# starts them first and keeps them up while tests run; it ends by itself
# after 15 minutes and is started again when needed.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  keeper="$WINEPREFIX.keeper"
  if ! { [ -f "$keeper" ] && kill -0 "$(cat "$keeper")" 2>/dev/null; }; then
    setsid sh -c 'sleep 900 | "$0" cmd.exe /k' "$wine" </dev/null >/dev/null 2>&1 9>&- &
    echo $! >"$keeper"
    "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$WINEPREFIX.lock"

# A listing for test discovery is read only: when Wine fails to start the
# program (seen once in a busy build: status 1, no output) it is made again.
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  for attempt in 1 2; do
    if listing="$("$wine" "$@")"; then
      printf '%s\n' "$listing" | tr -d '\r'
      exit 0
    else
      status=$?
    fi
    echo "wine-run: listing the tests of $1 failed with status $status (attempt $attempt)" >&2
  done
  exit "$status"
fi
"$wine" "$@" | tr -d '\r'
