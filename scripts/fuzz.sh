#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan + UBSan and runs each
# for SECONDS (default 60); any finding fails the script and leaves the input
# in build/fuzz/fuzz/<target>-crash-*. TARGETS (default: all) picks some.
# PMSNMP_FUZZ_SEED fixes libFuzzer's seed so that a run can be repeated.
#   scripts/fuzz.sh [SECONDS [TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
all_targets=(decode_packet peek_response value_text oid_index address_text printer_report)
targets=("${@:-${all_targets[@]}}")
dir=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE= \
  -DCMAKE_CXX_FLAGS="${PMSNMP_FUZZ_OPT:--O1} -g -fsanitize=fuzzer-no-link" \
  -DPMSNMP_BUILD_FUZZ=ON -DPMSNMP_SANITIZE=ON -DPMSNMP_BUILD_TESTS=OFF \
  -DPMSNMP_BUILD_BENCH=OFF -DPMSNMP_BUILD_TOOLS=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The printer report's seeds are the Printer and Host Resources parts of the
# recorded printers, when the recordings are at hand; they stay out of git.
printers=../shared/data/printers
if [ -d "$printers" ]; then
  mkdir -p "$work/printer_report"
  for recording in "$printers"/*.snmprec; do
    grep -E '^1\.3\.6\.1\.2\.1\.(1|25\.3|43)\.' "$recording" \
      > "$work/printer_report/$(basename "$recording" .snmprec)" || true
  done
fi

for target in "${targets[@]}"; do
  echo "== fuzz $target for ${seconds}s"
  # New inputs go to a scratch corpus; the seeds in fuzz/corpus stay small.
  mkdir -p "$work/$target"
  max_len=4096
  [ "$target" = printer_report ] && max_len=8192
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len="$max_len" -seed="${PMSNMP_FUZZ_SEED:-0}" -print_final_stats=1 -artifact_prefix="$dir/fuzz/$target-" \
      "$work/$target" "fuzz/corpus/$target"
done
