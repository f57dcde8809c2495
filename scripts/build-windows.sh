#!/usr/bin/env bash
# Cross builds the project for Windows with MinGW-w64:
#   build-windows.sh [build-dir] [extra cmake args...]   (default build/win)
# The dependencies come from scripts/build-windows-deps.sh (built once, cached).
# Tests are listed at build time under wine (gtest_discover_tests), in a wine
# prefix under the build folder unless WINEPREFIX is set.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-build/win}"; shift || true

prefix=$(bash "$root/scripts/build-windows-deps.sh" | tail -1)
export SMS_WIN_PREFIX="$prefix"
# Stop the build prefix's wineserver at the end, whatever happens. A prefix
# given by the caller (test-windows.sh) is the caller's to stop: its tests
# run on in it.
stop_wine() {
  WINEPREFIX="$(cd "$dir" 2>/dev/null && pwd)/wine" bash "$root/scripts/wine-run.sh" --stop
}
[ -n "${WINEPREFIX:-}" ] || trap stop_wine EXIT

source "$root/scripts/ccache.sh"
start=$SECONDS
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSMS_BUILD_BENCH=OFF "${ccache_args[@]}" "$@" >/dev/null
echo "build-windows: configured in $((SECONDS - start)) s" >&2
start=$SECONDS
cmake --build "$dir" -j "$(nproc)"
echo "build-windows: built in $((SECONDS - start)) s" >&2
