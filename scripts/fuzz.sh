#!/usr/bin/env bash
# Builds the fuzzers of tests/fuzz/ and runs each for a bounded time, as many at
# once as there are jobs; prints one line per fuzzer with its executions.
# Exits 1, naming the fuzzer and the input, when one finds a crash, a leak,
# a sanitizer report, a broken promise or a hang. Everything a run writes
# (new corpus entries, findings) stays in a temporary folder under TMPDIR
# that is removed at the end; a failing input is printed in hex.
#
#   scripts/fuzz.sh [-t SECONDS] [-j JOBS] [-b BUILD_DIR] [TARGET...]
#   scripts/fuzz.sh -t 600 csv        # one fuzzer for ten minutes
# Defaults: FUZZ_SECONDS (30), FUZZ_JOBS (the number of cores), build/fuzz.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-30}"
jobs="${FUZZ_JOBS:-$(nproc)}"
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"

clang_targets=(net_packets csv codepage reject_words store_search)
gcc_targets=(template segments urldecode)

usage() {
  echo "usage: $0 [-t SECONDS] [-j JOBS] [-b BUILD_DIR] [TARGET...]" >&2
  echo "targets: ${clang_targets[*]} ${gcc_targets[*]}" >&2
  exit 2
}
while getopts "t:j:b:h" opt; do
  case "$opt" in
    t) seconds="$OPTARG" ;;
    j) jobs="$OPTARG" ;;
    b) build="$OPTARG" ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[[ "$seconds" =~ ^[1-9][0-9]*$ && "$jobs" =~ ^[1-9][0-9]*$ ]] || usage

# The selected targets of each build, in the order given.
selected=("$@")
[ $# -gt 0 ] || selected=("${clang_targets[@]}" "${gcc_targets[@]}")
clang_run=() gcc_run=()
for name in "${selected[@]}"; do
  if [[ " ${clang_targets[*]} " == *" $name "* ]]; then clang_run+=("$name")
  elif [[ " ${gcc_targets[*]} " == *" $name "* ]]; then gcc_run+=("$name")
  else echo "unknown fuzzer: $name" >&2; usage
  fi
done

tmp="$(mktemp -d "${TMPDIR:-/tmp}/sms-fuzz.XXXXXX")"
# Fuzzers still running when the script is stopped are stopped with it.
trap 'kill $(jobs -p) 2>/dev/null || true; wait; rm -rf "$tmp"' EXIT
began=$SECONDS

# build <dir> <compiler> <target>...: the build's output only when it fails.
build_fuzzers() {
  local dir="$1" compiler="$2"; shift 2
  if ! { cmake -S "$root/tests/fuzz" -B "$dir" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=None &&
         cmake --build "$dir" -j "$jobs" --target "${@/%/_fuzz}"; } >"$tmp/build.log" 2>&1; then
    tail -n 60 "$tmp/build.log"
    echo "fuzzers: the build in $dir failed" >&2
    exit 1
  fi
}
[ ${#clang_run[@]} -eq 0 ] || build_fuzzers "$build/clang" clang++-14 "${clang_run[@]}"
[ ${#gcc_run[@]} -eq 0 ] || build_fuzzers "$build/gcc" g++ "${gcc_run[@]}"
echo "built in $((SECONDS - began)) s; running each fuzzer for $seconds s, $jobs at a time"

# Stack traces name functions and lines with llvm-symbolizer, where there is one.
symbolizer="$(command -v llvm-symbolizer || echo /usr/lib/llvm-14/bin/llvm-symbolizer)"
[ -x "$symbolizer" ] || symbolizer=""

all=() engine=() bins=()
for t in "${clang_run[@]}"; do
  all+=("$t") engine+=("libFuzzer/clang") bins+=("$build/clang/bin/${t}_fuzz")
done
for t in "${gcc_run[@]}"; do
  all+=("$t") engine+=("libFuzzer/gcc") bins+=("$build/gcc/bin/${t}_fuzz")
done

# start <index>: one fuzzer in the background, in a folder of its own; new
# inputs go to that folder's corpus, the repository's seeds are only read.
declare -A index_of=()
start() {
  local t="${all[$1]}" dir="$tmp/${all[$1]}"
  local dict=()
  [ ! -f "$root/tests/fuzz/dict/$t.dict" ] || dict=("-dict=$root/tests/fuzz/dict/$t.dict")
  mkdir -p "$dir/corpus" "$dir/findings"
  (cd "$dir" && exec env TMPDIR="$dir" ASAN_OPTIONS=detect_leaks=1 \
     ASAN_SYMBOLIZER_PATH="$symbolizer" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "${bins[$1]}" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$dir/findings/" "${dict[@]}" \
       "$dir/corpus" "$root/tests/fuzz/corpus/$t") >"$dir/log" 2>&1 &
  index_of[$!]="$1"
}

# collect: waits for the next fuzzer to end and keeps its exit status.
rcs=()
collect() {
  local pid="" rc=0
  wait -n -p pid || rc=$?
  rcs[${index_of[$pid]}]="$rc"
  unset "index_of[$pid]"
}

for i in "${!all[@]}"; do
  [ "${#index_of[@]}" -lt "$jobs" ] || collect
  start "$i"
done
while [ "${#index_of[@]}" -gt 0 ]; do collect; done

# report <index>: prints the finding and its input; false when there was one.
report() {
  local t="${all[$1]}" bin="${bins[$1]}" rc="${rcs[$1]}" dir="$tmp/${all[$1]}"
  local findings=("$dir"/findings/*)
  if [ "$rc" = 0 ] && [ ! -e "${findings[0]}" ] &&
     ! grep -qE "ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|broken promise" \
       "$dir/log"; then
    return 0
  fi
  echo "FAILED: $t: $(grep -m1 -E 'SUMMARY|broken promise|ERROR' "$dir/log" || echo "exit $rc")"
  for f in "${findings[@]}"; do
    [ -e "$f" ] || continue
    echo "  input $f ($(stat -c %s "$f") bytes, removed at exit), hex:"
    head -c 8192 "$f" | od -An -v -tx1 | tr -d ' \n' | fold -w 96 | sed 's/^/    /'
    echo
    echo "  to rerun: turn the hex back into a file (xxd -r -p) and run $bin FILE"
  done
  echo "  report:"
  grep -m1 -A40 -E "ERROR|broken promise|runtime error" "$dir/log" | sed 's/^/    /'
  return 1
}

failed=0
for i in "${!all[@]}"; do
  log="$tmp/${all[$i]}/log"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
  printf '%-13s %-16s %10s runs %8s/s\n' "${all[$i]}" "${engine[$i]}" "${runs:-?}" "${rate:-?}"
  report "$i" || failed=1
done
echo "fuzzing took $((SECONDS - began)) s in all"
exit "$failed"
