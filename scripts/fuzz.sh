#!/usr/bin/env bash
# Builds the decoder's libFuzzer targets with clang under ASan + UBSan and
# runs each for SECONDS (default 60); any finding fails the script and leaves
# the input in build/fuzz/fuzz/<target>-crash-*.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE= \
  -DCMAKE_CXX_FLAGS="${PMSNMP_FUZZ_OPT:--O1} -g -fsanitize=fuzzer-no-link" \
  -DPMSNMP_BUILD_FUZZ=ON -DPMSNMP_SANITIZE=ON -DPMSNMP_BUILD_TESTS=OFF \
  -DPMSNMP_BUILD_BENCH=OFF -DPMSNMP_BUILD_TOOLS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_decode_packet fuzz_peek_response

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in decode_packet peek_response; do
  echo "== fuzz $target for ${seconds}s"
  # New inputs go to a scratch corpus; the seeds in fuzz/corpus stay small.
  mkdir -p "$work/$target"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=4096 -print_final_stats=1 -artifact_prefix="$dir/fuzz/$target-" \
      "$work/$target" "fuzz/corpus/$target"
done
