#!/usr/bin/env bash
# Runs every benchmark program of a build and prints one table: each figure of
# bench/targets.txt, its target and whether it is met.
#
#   bench/run-all.sh [-f REGEX] [--no-build] [build-dir]
#
# build-dir   default build/normal. A folder that is not configured yet is
#             built with scripts/build.sh; otherwise only the bench_* programs
#             are brought up to date.
# -f REGEX    run only the programs whose name matches (grep -E), e.g. -f phone
# --no-build  run what the build folder holds
#
# Exit status 0 when every program ran, whether or not the targets are met;
# 1 when a program failed, a benchmark reported an error or a figure of
# targets.txt is missing from the output; 2 on bad usage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
targets="$root/bench/targets.txt"

usage() { awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; }

filter="" build=1 dir=""
while [ $# -gt 0 ]; do
  case "$1" in
    -f|--filter) [ $# -ge 2 ] || { usage >&2; exit 2; }; filter="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) [ -z "$dir" ] || { usage >&2; exit 2; }; dir="$1"; shift ;;
  esac
done
dir="${dir:-$root/build/normal}"
command -v python3 >/dev/null || { echo "python3 is missing: bash scripts/install-deps.sh" >&2; exit 1; }

# Benchmark targets of a configured build folder.
bench_targets() {
  cmake --build "$dir" --target help | grep -o 'bench_[A-Za-z0-9_]*' | sort -u
}

# Outputs, and the benchmarks' own temporary folders, in one folder removed at
# the end; TMPDIR also catches what a crashed benchmark leaves behind.
# mktemp turns the trailing X's into a unique name.
work="$(mktemp -d "${TMPDIR:-/tmp}/bench-run-all.XXXXXX")"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir "$work/tmp"

# Runs a build step quietly; on failure shows its output and stops.
quietly() {
  if ! "$@" >"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log" >&2
    echo "build failed: $*" >&2
    exit 1
  fi
}

if [ "$build" = 1 ]; then
  echo "building the benchmarks in $dir" >&2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    quietly bash "$root/scripts/build.sh" "$dir"
  elif grep -q '^SMS_BUILD_BENCH:BOOL=OFF' "$dir/CMakeCache.txt"; then
    echo "$dir is configured without benchmarks (SMS_BUILD_BENCH=OFF)" >&2
    exit 1
  else
    # Configured afresh first: an older configuration may not know every program.
    quietly cmake -S "$root" -B "$dir"
    mapfile -t names < <(bench_targets | grep -E -- "${filter:-.}" || true)
    if [ ${#names[@]} -gt 0 ]; then
      quietly cmake --build "$dir" -j "$(nproc)" --target "${names[@]}"
    fi
  fi
fi

programs=()
for p in "$dir"/bin/bench_*; do
  [ -x "$p" ] || continue
  name="$(basename "$p")"
  if [ -n "$filter" ] && ! grep -qE -- "$filter" <<<"$name"; then continue; fi
  programs+=("$p")
done
if [ ${#programs[@]} -eq 0 ]; then
  echo "no bench_* program in $dir/bin${filter:+ matching $filter}" >&2
  exit 1
fi

for p in "${programs[@]}"; do
  name="$(basename "$p")"
  start=$SECONDS
  printf '%-22s ' "$name" >&2
  status=0
  TMPDIR="$work/tmp" "$p" --benchmark_format=json >"$work/$name.out" 2>"$work/$name.err" || status=$?
  echo "$status" >"$work/$name.status"
  if [ "$status" = 0 ]; then
    echo "$((SECONDS - start)) s" >&2
  else
    echo "$((SECONDS - start)) s, FAILED with exit status $status:" >&2
    tail -n 5 "$work/$name.err" >&2
  fi
done

python3 - "$targets" "$work" "$filter" "${programs[@]##*/}" <<'PY'
import json, math, os, re, sys

targets_file, work, name_filter, programs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
TIME = {"s": 1.0, "ms": 1e-3, "us": 1e-6, "ns": 1e-9}


def load(program):
    """(benchmarks or None, plain text, exit status) of one program's run."""
    with open(os.path.join(work, program + ".out"), encoding="utf-8", errors="replace") as f:
        out = f.read()
    with open(os.path.join(work, program + ".status")) as f:
        status = int(f.read())
    start = out.find("{")
    if start >= 0:
        try:
            doc, _ = json.JSONDecoder().raw_decode(out[start:])
            return doc.get("benchmarks", []), out, status
        except ValueError:
            pass
    return None, out, status


def rows_of(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            fields = [x.strip() for x in line.split("|")]
            if len(fields) != 6:
                sys.exit(f"{path}:{number}: expected 6 fields separated by '|'")
            rows.append(dict(zip(("program", "bench", "measure", "baseline", "target", "label"),
                                 fields)))
    return rows


def pick(benchmarks, pattern):
    """The one benchmark whose whole name matches, or an error text."""
    found = [b for b in benchmarks if re.fullmatch(pattern, b["name"])]
    if len(found) != 1:
        return None, f"{len(found)} benchmarks match {pattern}"
    if found[0].get("error_occurred"):
        return None, "error: " + found[0].get("error_message", "")
    return found[0], None


def value(b, measure):
    """(number, unit) of one measure; times in seconds with unit "s"."""
    if measure in ("real", "cpu"):
        return b[measure + "_time"] * TIME[b.get("time_unit", "ns")], "s"
    if measure == "items/s":
        return b["items_per_second"], "/s"
    if measure.startswith("counter:"):
        parts = measure.split(":")
        number = b[parts[1]]
        unit = parts[2] if len(parts) > 2 else ""
        return (number * TIME[unit], "s") if unit in TIME else (number, unit)
    raise KeyError(measure)


def figure(row, benchmarks, text):
    """(number, unit) of a row, or raises LookupError with the reason."""
    measure = row["measure"]
    if measure.startswith("text:"):
        m = re.search(row["bench"], text)
        if not m:
            raise LookupError(f"no output matches {row['bench']}")
        return float(m.group(1)), measure[5:]
    if benchmarks is None:
        raise LookupError("no JSON output")
    b, error = pick(benchmarks, row["bench"])
    if error:
        raise LookupError(error)
    if measure.startswith("ratio:"):
        base, error = pick(benchmarks, row["baseline"])
        if error:
            raise LookupError(error)
        inner = measure[6:]
        return value(b, inner)[0] / value(base, inner)[0], "x"
    return value(b, measure)


def show(number, unit):
    if unit == "s":
        for name in ("s", "ms", "us", "ns"):
            if abs(number) >= TIME[name] or name == "ns":
                return f"{number / TIME[name]:.3g} {name}"
    if unit == "/s":
        for scale, name in ((1e6, " M/s"), (1e3, " k/s")):
            if number >= scale:
                return f"{number / scale:.3g}{name}"
        return f"{number:.3g} /s"
    if unit == "x":
        return f"{number:.2f}x"
    return f"{number:.4g}" + (f" {unit}" if unit else "")


def judge(number, unit, target):
    """"met", "NOT met" or "report"; raises ValueError on a target it cannot read."""
    if target == "-":
        return "report"
    m = re.fullmatch(r"(<=|>=|<|>)\s*([0-9.eE+-]+)\s*(\S*)", target)
    if not m:
        raise ValueError(f"cannot read target {target!r}")
    op, limit, limit_unit = m.group(1), float(m.group(2)), m.group(3)
    if unit == "s" and limit_unit in TIME:
        limit *= TIME[limit_unit]
    elif limit_unit != unit:
        raise ValueError(f"target unit {limit_unit!r} against a figure in {unit!r}")
    ok = {"<": number < limit, "<=": number <= limit,
          ">": number > limit, ">=": number >= limit}[op]
    return "met" if ok and not math.isnan(number) else "NOT met"


def covered(benchmark, rows):
    names = [r["bench"] for r in rows] + [r["baseline"] for r in rows if r["baseline"] != "-"]
    return any(re.fullmatch(n, benchmark["name"]) for n in names)


rows = rows_of(targets_file)
table, problems, failed = [], 0, []
for program in programs:
    benchmarks, text, status = load(program)
    if status != 0:
        failed.append(f"{program} (exit {status})")
    mine = [r for r in rows if r["program"] == program]
    extra = [dict(program=program, bench=re.escape(b["name"]), measure="real", baseline="-",
                  target="-", label=b["name"] + " (not in targets.txt)")
             for b in benchmarks or []
             if (b.get("run_type") != "aggregate" or b.get("aggregate_name") == "median")
             and not covered(b, mine)]
    if not mine and not extra:
        extra = [dict(program=program, bench="", measure="", baseline="-", target="-",
                      label="(no figures)")]
    for row in mine + extra:
        try:
            number, unit = figure(row, benchmarks, text)
            shown, verdict = show(number, unit), judge(number, unit, row["target"])
        except (LookupError, ValueError) as e:
            shown, verdict = "-", "ERROR: " + str(e)
            problems += 1
        table.append((program, row["label"], shown, row["target"], verdict))

# Programs targets.txt names that were meant to run but are not in the build.
for program in sorted({r["program"] for r in rows} - set(programs)):
    if not name_filter or re.search(name_filter, program):
        table.append((program, "(program not built)", "-", "-", "ERROR: no such program"))
        problems += 1

header = ("program", "figure", "value", "target", "result")
widths = [max(len(r[i]) for r in table + [header]) for i in range(4)]
for r in [header] + table:
    print("  ".join(c.ljust(w) for c, w in zip(r, widths)) + "  " + r[4])

counts = {v: sum(1 for r in table if r[4] == v) for v in ("met", "NOT met", "report")}
print(f"\n{len(table)} figures: {counts['met']} met, {counts['NOT met']} NOT met, "
      f"{counts['report']} reported, {problems} errors; programs run: {len(programs)}"
      + (", failed: " + ", ".join(failed) if failed else ""))
sys.exit(1 if failed or problems else 0)
PY
