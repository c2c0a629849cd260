#!/usr/bin/env bash
# Converts the models of bench/bound_models.py and the group-range regression,
# plainly and with --report --html, and prints for each the input size, wall
# time, peak resident memory and what was written (.qsx, page, standard output
# and error). Time and memory should follow the last two columns.
#
#   bench/bounds.sh [BINARY]      (default build/halvex2qsx)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bin=$(realpath "${1:-build/halvex2qsx}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/bound_models.py "$work/models"
cp tests/fuzz/regressions/group-range-of-two-billion "$work/models/group-range-of-two-billion.hvt"
printf '%-40s %9s %-16s %8s %8s %9s\n' model input mode wall_s peak_MB output_MB
for model in "$work/models/"*.hvt; do
  for mode in plain report-html; do
    rm -rf "$work/run" && mkdir "$work/run" && cp "$model" "$work/run/m.hvt"
    args=()
    [ "$mode" = plain ] || args=(--report --html)
    (cd "$work/run" && /usr/bin/time -f '%e %M' -o time "$bin" m.hvt "${args[@]}" >out 2>err) || true
    read -r secs kb < <(tail -1 "$work/run/time")
    bytes=$( (cat "$work/run/m.qsx" "$work/run/m.html" "$work/run/out" "$work/run/err" 2>/dev/null || true) | wc -c)
    printf '%-40s %9s %-16s %8s %8.0f %9.1f\n' "$(basename "$model" .hvt)" "$(stat -c %s "$model")" "$mode" "$secs" \
      "$(echo "$kb / 1024" | bc -l)" "$(echo "$bytes / 1048576" | bc -l)"
  done
done
