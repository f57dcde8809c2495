#!/usr/bin/env bash
# The main job: installs what is missing, builds the library and its
# command-line client, and runs `smsctl demo`: the whole road of one send in a
# fresh temporary user folder on the embedded gateway.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" "$build" -DSMS_BUILD_TESTS=OFF -DSMS_BUILD_BENCH=OFF
"$build/bin/smsctl" demo
