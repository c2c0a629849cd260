#!/usr/bin/env bash
# Builds the fuzz target with clang and runs it for SECONDS (default 60),
# seeded with the golden models and the example. New inputs collect in
# build-fuzz/corpus; crashes are written to build-fuzz/crash-*.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
secs=${1:-60}
CXX=clang++ cmake -S . -B build-fuzz -DHALVEX_FUZZ=ON -DHALVEX_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_convert
mkdir -p build-fuzz/corpus
build-fuzz/tests/fuzz/fuzz_convert -max_total_time="$secs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=build-fuzz/ -print_final_stats=1 build-fuzz/corpus tests/cases examples
