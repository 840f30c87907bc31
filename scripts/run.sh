#!/usr/bin/env bash
# Installs what is missing, builds Ostrel and starts it: Chromium opens with
# the Ostrel button in its toolbar (Alt+Shift+O presses it too). Arguments
# are passed to build/bin/ostrel (see --help).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
exec "$build_dir/bin/ostrel" "$@"
