#!/usr/bin/env bash
# Replay overhead of Ostrel against playwright-core on the same Chromium and
# the same local page. Installs node and playwright-core (under bench/replay,
# not committed) when missing, builds and runs build/bin/bench_replay.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if ! command -v npm >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q nodejs npm
fi
(cd bench/replay && npm install --no-audit --no-fund --silent)
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target bench_replay
"$build_dir/bin/bench_replay" "$@"
