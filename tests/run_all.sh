#!/usr/bin/env bash
# Builds and runs every test: the normal build, the shared acceptance sample,
# a one-minute fuzz smoke run (when clang is there) and the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer). Installs the build
# dependencies on a fresh machine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
if [ "${#need[@]}" -gt 0 ]; then
  echo "installing: ${need[*]}"
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)

echo "== release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if command -v clang++ >/dev/null 2>&1; then
  echo "== fuzz smoke run"
  tests/fuzz/run.sh 60 2>&1 | tail -n 12
fi

if [ -x ../shared/acceptance-sample/run.sh ]; then
  echo "== acceptance sample"
  ../shared/acceptance-sample/run.sh build/halvex2qsx
fi

echo "== sanitizer build and tests"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DHALVEX_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
