#!/usr/bin/env bash
# Builds a fuzz target with clang and runs it for SECONDS (default 60).
#
#   tests/fuzz/run.sh [SECONDS] [TARGET]
#
# TARGET: fuzz_convert (default), fuzz_convert_threads or fuzz_check. The
# newest clang there is builds it: libFuzzer before LLVM 18 spends most of a
# run of fuzz_convert in its own bookkeeping of rare features (about 380
# runs a second with LLVM 14, 1,300 with LLVM 19 on the same machine).
# fuzz_convert and fuzz_convert_threads are seeded with the golden models
# and the example, fuzz_check
# with the golden QSX files and the check cases. New inputs collect in
# BUILD/corpus (BUILD/corpus-check for fuzz_check); crashes are written to
# BUILD/crash-*. BUILD is build-fuzz, or $FUZZ_BUILD_DIR.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
secs=${1:-60}
target=${2:-fuzz_convert}
build=${FUZZ_BUILD_DIR:-build-fuzz}
case "$target" in
  fuzz_convert|fuzz_convert_threads) corpus=$build/corpus; seeds=(tests/cases examples) ;;
  fuzz_check) corpus=$build/corpus-check; seeds=(tests/cases tests/check_cases) ;;
  *) echo "unknown fuzz target: $target" >&2; exit 1 ;;
esac
cc=clang cxx=clang++
for v in 22 21 20 19 18; do
  command -v "clang++-$v" >/dev/null 2>&1 && { cc=clang-$v cxx=clang++-$v; break; }
done
# A build folder made by another compiler is made again.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=.*/$cxx\$" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
CC=$cc CXX=$cxx cmake -S . -B "$build" -DHALVEX_FUZZ=ON -DHALVEX_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$target"
mkdir -p "$corpus"
"$build/tests/fuzz/$target" -max_total_time="$secs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$build/" -print_final_stats=1 "$corpus" "${seeds[@]}"
