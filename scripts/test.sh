#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Ostrel and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# Capture is also tested under a Turkish locale, whose case rules are not
# ASCII's; make that locale when the system has its source (package locales).
if ! locale -a 2>/dev/null | grep -qiE '^tr_TR\.utf-?8$'; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i tr_TR -f UTF-8 tr_TR.UTF-8 2>/dev/null ||
    echo "No Turkish locale: the capture test under it is skipped."
fi
bash scripts/build.sh
build_dir=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j2
