#!/usr/bin/env bash
# The main job: installs what is missing, builds the library, its
# command-line client and the gateway simulator, runs `smsctl demo` (the
# whole road of one send in a fresh temporary user folder on the embedded
# gateway), then one send over HTTP to smsgw on a free local port.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" "$build" -DSMS_BUILD_TESTS=OFF -DSMS_BUILD_BENCH=OFF
"$build/bin/smsctl" demo

echo
echo "== the same over HTTP: smsctl and smsgw on 127.0.0.1"
http_dir=$(mktemp -d "${TMPDIR:-/tmp}/smsctl-http.XXXXXX")
gw=""
cleanup() {
    if [ -n "$gw" ]; then kill "$gw" 2>/dev/null || true; wait "$gw" 2>/dev/null || true; fi
    rm -rf "$http_dir"
}
trap cleanup EXIT
"$build/bin/smsgw" --port 0 --state "$http_dir/smsgw.state" --user demo --password secret >"$http_dir/smsgw.out" &
gw=$!
for _ in $(seq 100); do grep -q listening "$http_dir/smsgw.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/.*listening on .*:\([0-9]*\)$/\1/p' "$http_dir/smsgw.out")
[ -n "$port" ] || { echo "smsgw did not start"; exit 1; }
smsctl=("$build/bin/smsctl" --user-dir "$http_dir/user" --gateway "http://127.0.0.1:$port" --user demo --password secret)
"${smsctl[@]}" send 13800138000 13012345678 --text '明早九点开会'
"${smsctl[@]}" history list
