#!/bin/sh
# Installs the build into a temporary folder, builds the consumer program
# against the installed package (find_package) and runs it, then runs the
# installed client. The temporary folder is removed at the end.
# install_test.sh <cmake> <build folder> <consumer source> <C++ compiler> <generator>
set -eu
cmake="$1" build="$2" consumer="$3" cxx="$4" generator="$5"

# mktemp turns the trailing X's into a unique name.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/smslogic-install.XXXXXX")
# An install writes its list of files into the build folder: keep the list
# of an earlier real install as it was.
manifest="$build/install_manifest.txt"
if [ -e "$manifest" ]; then cp -p "$manifest" "$tmp/manifest"; fi
cleanup() {
    if [ -e "$tmp/manifest" ]; then cp -p "$tmp/manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() { echo "FAIL: $1"; cat "$tmp/log"; exit 1; }

"$cmake" --install "$build" --prefix "$tmp/prefix" >"$tmp/log" 2>&1 || fail "install"
"$cmake" -S "$consumer" -B "$tmp/consumer" -G "$generator" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_PREFIX_PATH="$tmp/prefix" >"$tmp/log" 2>&1 || fail "configure the consumer"
"$cmake" --build "$tmp/consumer" >"$tmp/log" 2>&1 || fail "build the consumer"

out=$(cd "$tmp" && "$tmp/consumer/consumer" 2>"$tmp/log") || fail "the consumer exited with $?"
expected="accepted 4: YD 1 LT 1 DX 1 XLT 1"
[ "$out" = "$expected" ] || fail "the consumer printed '$out', not '$expected'"

# The installed client finds the installed shared objects by itself, and
# sends through the installed gateway simulator.
(cd "$tmp" && "$tmp/prefix/bin/smsctl" --help) >"$tmp/log" 2>&1 || fail "installed smsctl"
"$tmp/prefix/bin/smsgw" --port 0 --state "$tmp/gw.state" >"$tmp/gw.out" 2>&1 &
gw=$!
trap 'kill $gw 2>/dev/null; cleanup' EXIT
for _ in $(seq 100); do grep -q listening "$tmp/gw.out" && break; sleep 0.1; done
port=$(sed -n 's/.*listening on .*:\([0-9]*\)$/\1/p' "$tmp/gw.out")
(cd "$tmp" && "$tmp/prefix/bin/smsctl" --user-dir "$tmp/user" --gateway "http://127.0.0.1:$port" \
    send 13800138000 --text hi) >"$tmp/log" 2>&1 || fail "installed smsctl sending to smsgw"
grep -q "packets_sent *1" "$tmp/log" || fail "the send to smsgw was not accepted"
echo ok
