#!/usr/bin/env bash
# Builds pmsnmp with warnings as errors and runs the whole test suite, then
# again under AddressSanitizer + UndefinedBehaviorSanitizer, then the
# fuzz targets for a bounded time each.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

scripts/deps.sh

passed=0
skipped=0
run_suite() {
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPMSNMP_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure | tee "$dir/ctest.log"
  # set -e and pipefail have stopped the script already if a test failed.
  local total skips
  total=$(sed -n 's/.* tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")
  skips=$(grep -c '(Skipped)' "$dir/ctest.log" || true)
  passed=$((passed + ${total:-0} - skips))
  skipped=$((skipped + skips))
}

echo "== build and test"
run_suite build/release

# Install, examples, .deb and API reference, as a host developer meets them.
echo "== package and documentation checks"
started=$SECONDS
scripts/package_check.sh build/release
scripts/docs.sh
echo "package and documentation checks: $((SECONDS - started)) s"

echo "== build and test with ASan + UBSan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/asan -DPMSNMP_SANITIZE=ON -DPMSNMP_BUILD_BENCH=OFF

if [ -f fuzz/CMakeLists.txt ] && [ "${PMSNMP_SKIP_FUZZ:-0}" != 1 ]; then
  echo "== fuzz"
  scripts/fuzz.sh "${PMSNMP_FUZZ_SECONDS:-60}"
fi

echo "summary: $passed passed, 0 failed, $skipped skipped"
