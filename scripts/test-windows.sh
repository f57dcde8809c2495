#!/usr/bin/env bash
# Cross builds the project for Windows and runs its tests under wine64:
#   test-windows.sh [build-dir] [ctest args...]   (default build/win)
# Then, unless ctest args select part of the suite, user folders are
# exchanged between the two builds (tests/cross/exchange.sh): the Linux
# smsctl comes from $SMS_LINUX_BUILD (default build/normal beside build-dir),
# built there when missing. Everything runs in a wine prefix of its own, in a
# temporary folder that is removed at the end, together with its wineserver.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-build/win}"; shift || true
linux_dir="${SMS_LINUX_BUILD:-$(dirname "$dir")/normal}"

WINEPREFIX="$(mktemp -d)/wine"
export WINEPREFIX
cleanup() {
  bash "$root/scripts/wine-run.sh" --stop
  rm -rf "$(dirname "$WINEPREFIX")"
}
trap cleanup EXIT

bash "$root/scripts/build-windows.sh" "$dir"
start=$SECONDS
status=0
ctest --test-dir "$dir" --output-on-failure --timeout 600 -j "$(nproc)" "$@" || status=$?
echo "test-windows: tests ran in $((SECONDS - start)) s" >&2

if [ $# -eq 0 ]; then
  SMS_BUILD_TARGET=smsctl bash "$root/scripts/build.sh" "$linux_dir" >/dev/null
  start=$SECONDS
  bash "$root/tests/cross/exchange.sh" "$linux_dir/bin/smsctl" "$dir/bin/smsctl.exe" \
    "$root/scripts/wine-run.sh" || status=1
  echo "test-windows: user folders exchanged in $((SECONDS - start)) s" >&2
fi
exit $status
