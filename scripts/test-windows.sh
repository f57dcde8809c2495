#!/usr/bin/env bash
# Cross builds the project for Windows and runs its tests under wine64:
#   test-windows.sh [build-dir] [ctest args...]   (default build/win)
# Everything runs in a wine prefix of its own, in a temporary folder that is
# removed at the end, together with its wineserver.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-build/win}"; shift || true

WINEPREFIX="$(mktemp -d)/wine"
export WINEPREFIX
cleanup() {
  wineserver -k 2>/dev/null || true
  # wine-run.sh's keeper (a process group of its own).
  [ ! -f "$WINEPREFIX.keeper" ] || kill -- -"$(cat "$WINEPREFIX.keeper")" 2>/dev/null || true
  rm -rf "$(dirname "$WINEPREFIX")"
}
trap cleanup EXIT

bash "$root/scripts/build-windows.sh" "$dir"
start=$SECONDS
status=0
ctest --test-dir "$dir" --output-on-failure --timeout 600 -j "$(nproc)" "$@" || status=$?
echo "test-windows: tests ran in $((SECONDS - start)) s" >&2
exit $status
