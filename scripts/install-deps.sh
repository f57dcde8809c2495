#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only those missing.
set -euo pipefail

packages=(
  g++ cmake make pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev libspdlog-dev libfmt-dev libsqlcipher-dev libssl-dev libcli11-dev
  # the HTTP gateway (client) and the gateway simulator (server), their JSON
  libcurl4-openssl-dev libcpp-httplib-dev nlohmann-json3-dev
  python3   # bench/run-all.sh reads the benchmarks' JSON with it
  # scripts/fuzz.sh: clang and its sanitizers, libFuzzer's engine (whose
  # archive also drives the GCC-built fuzzers), llvm-symbolizer for reports
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
