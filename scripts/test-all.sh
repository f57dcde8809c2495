#!/usr/bin/env bash
# Runs every test: a normal build (with the benchmarks compiled), then the
# whole suite under AddressSanitizer + UndefinedBehaviorSanitizer, then the
# threaded tests under ThreadSanitizer, then every fuzzer for a bounded time
# (scripts/fuzz.sh), then the Windows build with its tests under Wine and the
# exchange of user folders between the two builds (scripts/test-windows.sh).
# Fails when a test run leaves files in the root folder or in the working tree
# (outside the build folders).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
out="${BUILD_ROOT:-$root/build}"
jobs="$(nproc)"

run_ctest() {
  local dir="$1"; shift
  (cd "$dir" && ctest --output-on-failure --timeout 300 -j "$jobs" "$@")
}

# What a test may not change: the root folder and the tracked and untracked
# (not ignored) files of the working tree.
snapshot() {
  ls -A /
  echo "--- working tree"
  if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$root" status --porcelain --untracked-files=all
  else
    (cd "$root" && find . -path "./build" -prune -o -print | sort)
  fi
}
before="$(snapshot)"

echo "== normal build"
bash "$root/scripts/build.sh" "$out/normal"
run_ctest "$out/normal"

echo "== address,undefined"
bash "$root/scripts/build.sh" "$out/asan" -DSMS_SANITIZE=address,undefined -DSMS_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest "$out/asan"

echo "== thread"
SMS_BUILD_TARGET=threaded_tests \
  bash "$root/scripts/build.sh" "$out/tsan" -DSMS_SANITIZE=thread -DSMS_BUILD_BENCH=OFF
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest "$out/tsan" -L threaded

echo "== fuzz"
bash "$root/scripts/fuzz.sh" -b "$out/fuzz"

echo "== windows"
SMS_LINUX_BUILD="$out/normal" bash "$root/scripts/test-windows.sh" "$out/win"

echo "== files left behind"
after="$(snapshot)"
if [ "$before" != "$after" ]; then
  echo "the test run left files in / or in the working tree:"
  diff <(echo "$before") <(echo "$after") || true
  exit 1
fi
echo "none"
