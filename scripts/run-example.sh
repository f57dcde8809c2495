#!/usr/bin/env bash
# The main job: builds the library and its command-line client, then asks the
# client for the carriers of a few numbers.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" "$build" -DSMS_BUILD_TESTS=OFF -DSMS_BUILD_BENCH=OFF
"$build/bin/smsctl" classify 13800138000 13012345678 18912345678 01012345678 15012345678 +8613800138000
# The whole road of one send on the embedded gateway, from composition to history.
"$build/bin/sms_example"
