#!/usr/bin/env bash
# Configures and builds one variant: build.sh <build-dir> [extra cmake args...]
# SMS_BUILD_TARGET names one target to build instead of all.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"; shift
source "$root/scripts/ccache.sh"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${ccache_args[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)" ${SMS_BUILD_TARGET:+--target "$SMS_BUILD_TARGET"}
