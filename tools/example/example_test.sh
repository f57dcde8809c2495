#!/bin/sh
# The example program's two ways that must not start a send: --help prints
# the usage and exits 0; a temporary folder that cannot be used (under a
# regular file, or missing) gives a clear message and exit status 1.
example="$1"
fail() { echo "FAIL: $*"; exit 1; }

out=$("$example" --help 2>&1)
rc=$?
[ "$rc" -eq 0 ] || fail "--help exited with $rc"
printf '%s\n' "$out" | grep -q '^Usage: sms_example' || fail "--help printed no usage: $out"
printf '%s\n' "$out" | grep -q 'queued' && fail "--help ran a send"

for tmp in "$0/under-a-file" "/nonexistent-$$/tmp"; do
    out=$(TMPDIR="$tmp" "$example" 2>&1)
    rc=$?
    [ "$rc" -eq 1 ] || fail "TMPDIR=$tmp: exit status $rc: $out"
    printf '%s\n' "$out" | grep -q 'temporary folder' || fail "TMPDIR=$tmp: no clear message: $out"
done
echo ok
