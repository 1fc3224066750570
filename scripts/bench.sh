#!/usr/bin/env bash
# Builds and runs one benchmark: scripts/bench.sh NAME [benchmark options]
# (NAME is a file of bench/ without .cpp: value, log, codec, roundtrip, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?usage: scripts/bench.sh NAME [options]}; shift
scripts/deps.sh
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DPMSNMP_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j "$(nproc)" --target "bench_$name"
exec "build/bench/bench/bench_$name" "$@"
