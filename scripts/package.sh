#!/usr/bin/env bash
# Builds the Debian package of Ostrel: a Release build of the program in
# build-package/ (PACKAGE_BUILD_DIR overrides), then cpack -G DEB. Leaves
# ostrel_<version>_<arch>.deb in that folder and prints its path. Install it
# with: sudo apt-get install ./build-package/ostrel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir=${PACKAGE_BUILD_DIR:-build-package}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
      -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target ostrel_program ostrel_manpage
rm -f "$build_dir"/ostrel_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/ostrel_*.deb
