#!/usr/bin/env bash
# Throughput and memory benchmark of the converter.
#
#   bench/run.sh [--runs N] [--threads N] [SIZE ...]
#                 (default: 5 runs; the converter's default threads; sizes 1 10000 100000 1000000)
#
# Builds the converter and the benchmark tools (Release, in build/ or $BUILD_DIR),
# generates the models once into build/bench-data (again only when the generator
# changed), then for each size runs the fgets/strtod baseline and the converter
# alternately and prints input MB, median wall seconds of both, their ratio,
# conversion MB/s and the converter's peak resident memory against the input size.
# Size 1 is the one-node model (process start-up time).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
RUNS=5
SIZES=()
CONV_ARGS=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS="$2"; shift 2 ;;
    --threads) CONV_ARGS+=(--converter-arg --threads --converter-arg "$2"); shift 2 ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) SIZES+=("$1"); shift ;;
  esac
done
[ ${#SIZES[@]} -gt 0 ] || SIZES=(1 10000 100000 1000000)

# Without GoogleTest (a bare machine) the test suite is left out of the build.
TESTS=()
[ -f /usr/include/gtest/gtest.h ] || [ -f "$BUILD_DIR/CMakeCache.txt" ] || TESTS=(-DHALVEX_TESTS=OFF)
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DHALVEX_BENCH=ON "${TESTS[@]}" >/dev/null
cmake --build "$BUILD_DIR" -j2 --target halvex2qsx hvx_genmodel hvx_baseline hvx_benchrun >/dev/null

GEN="$BUILD_DIR/bench/hvx_genmodel"
DATA="$BUILD_DIR/bench-data"
mkdir -p "$DATA"
MODELS=()
for n in "${SIZES[@]}"; do
  dir="$DATA/n$n"
  model="$dir/model.hvt"
  mkdir -p "$dir"
  if [ ! -f "$model" ] || [ "$GEN" -nt "$model" ]; then
    echo "generating $model" >&2
    "$GEN" "$n" > "$model.tmp"
    mv "$model.tmp" "$model"
  fi
  MODELS+=("$model")
done

# Model paths are named by their folder (n<size>/model.hvt) in the table.
cd "$DATA"
REL=()
for m in "${MODELS[@]}"; do REL+=("${m#$DATA/}"); done
exec "$BUILD_DIR/bench/hvx_benchrun" --runs "$RUNS" \
  --baseline "$BUILD_DIR/bench/hvx_baseline" --converter "$BUILD_DIR/halvex2qsx" "${CONV_ARGS[@]}" "${REL[@]}"
