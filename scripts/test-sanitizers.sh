#!/usr/bin/env bash
# Builds Ostrel with AddressSanitizer and UndefinedBehaviorSanitizer (clang,
# into build-sanitize/ unless BUILD_DIR says otherwise), runs every test with
# undefined behaviour ending the program, then runs the DevTools protocol
# fuzz target for FUZZ_SECONDS (default 120). Installs what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang libclang-rt-14-dev
build_dir=${BUILD_DIR:-build-sanitize}
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOSTREL_SANITIZE=ON -DOSTREL_FUZZ=ON -DOSTREL_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
ctest --test-dir "$build_dir" --output-on-failure -j2 -E '^package$'

fuzz="$build_dir/bin/devtools_protocol_fuzz"
if [ -x "$fuzz" ]; then
  corpus="$build_dir/fuzz-corpus"
  mkdir -p "$corpus"
  cp tests/platform/devtools/fuzz/seeds/* "$corpus"/ 2>/dev/null || true
  "$fuzz" -max_total_time="${FUZZ_SECONDS:-120}" -timeout=10 -rss_limit_mb=4096 "$corpus"
fi
echo "sanitizer run: all tests passed, the fuzz target found nothing"
