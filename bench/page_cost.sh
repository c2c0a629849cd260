#!/usr/bin/env bash
# What --html costs on a benchmark model: the conversion's wall time without
# and with the page (and with --report-json alone, which the page includes),
# alternately, median of N runs each, and the processor time (user + system,
# all threads), which other load on the machine changes less; the page's size;
# and the time to its first and its whole picture in headless Chromium.
#
#   bench/page_cost.sh [--runs N] [SIZE]      (default: 7 runs, the 1M model)
#
# Generates the model with bench/run.sh's generator when it is missing.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
RUNS=7
SIZE=1000000
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS="$2"; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) SIZE="$1"; shift ;;
  esac
done

cmake -S "$ROOT" -B "$BUILD_DIR" -DHALVEX_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" -j2 --target halvex2qsx hvx_genmodel >/dev/null
dir="$BUILD_DIR/bench-data/n$SIZE"
mkdir -p "$dir"
if [ ! -f "$dir/model.hvt" ]; then
  echo "generating $dir/model.hvt" >&2
  "$BUILD_DIR/bench/hvx_genmodel" "$SIZE" > "$dir/model.hvt.tmp"
  mv "$dir/model.hvt.tmp" "$dir/model.hvt"
fi
tool="$BUILD_DIR/halvex2qsx"
cd "$dir"

# "WALL CPU" seconds of one conversion with the given options.
seconds() {
  /usr/bin/time -f '%e %U %S' -o times.txt "$tool" "$@" model.hvt >/dev/null
  awk '{printf "%s %.2f\n", $1, $2 + $3}' times.txt
}
median() { sort -n | awk '{v[NR] = $1} END {printf "%.3f", v[int((NR + 1) / 2)]}'; }

: > runs.txt
for _ in $(seq "$RUNS"); do
  echo "plain $(seconds)" >> runs.txt
  echo "report $(seconds --report-json report.json)" >> runs.txt
  echo "html $(seconds --html)" >> runs.txt
done
pick() { awk -v k="$1" -v c="$2" '$1 == k {print $c}' runs.txt | median; }
echo "model: $dir/model.hvt ($(stat -c %s model.hvt) bytes), load average $(cut -d' ' -f1-3 /proc/loadavg)"
for c in 2 3; do
  p=$(pick plain $c) r=$(pick report $c) h=$(pick html $c)
  [ "$c" = 2 ] && what="wall time" || what="processor time"
  echo "median $what of $RUNS: plain $p s, --report-json $r s, --html $h s"
  awk -v p="$p" -v r="$r" -v h="$h" 'BEGIN {printf "  added by --html: %.3f s (%.0f %%), of which the report %.3f s (%.0f %%)\n",
                                              h - p, 100 * (h - p) / p, r - p, 100 * (r - p) / p}'
done
echo "page: $(stat -c %s model.html) bytes"
if command -v chromium >/dev/null 2>&1; then
  python3 "$ROOT/tests/page/browser_test.py" --chromium "$(command -v chromium)" --measure "$dir/model.html" --runs 2
fi
