#!/usr/bin/env bash
# A batch converted one model at a time against several at once (-j).
#
#   bench/jobs.sh [--runs N] [--models N] [--nodes N] [--jobs N] [-- EXTRA ARGS]
#                 (default: 5 runs; 24 models of 10,000 nodes; -j 2)
#
# Builds halvex2qsx and the model generator (Release, in build/ or $BUILD_DIR),
# generates the models once into build/bench-data/jobs-n<nodes>/ (seeds 1 to N,
# so no two are the same), then runs `halvex2qsx -j 1` and `halvex2qsx -j N`
# over the whole batch alternately, each into a fresh output folder, and prints
# the median wall seconds of both, the speed-up and each one's peak resident
# memory (the largest of its runs, by GNU time). EXTRA ARGS go to both (e.g.
# --threads 2).
# Figures, not a test: wall times grow with other load on the machine, so
# measure at a quiet moment (see `uptime`).
set -euo pipefail
[ -x /usr/bin/time ] || { echo "bench/jobs.sh: needs GNU time (apt-get install time)" >&2; exit 1; }

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
RUNS=5 MODELS=24 NODES=10000 JOBS=2
EXTRA=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) RUNS="$2"; shift 2 ;;
    --models) MODELS="$2"; shift 2 ;;
    --nodes) NODES="$2"; shift 2 ;;
    --jobs) JOBS="$2"; shift 2 ;;
    --) shift; EXTRA=("$@"); break ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) echo "bench/jobs.sh: unknown argument $1" >&2; exit 1 ;;
  esac
done

TESTS=()
[ -f /usr/include/gtest/gtest.h ] || [ -f "$BUILD_DIR/CMakeCache.txt" ] || TESTS=(-DHALVEX_TESTS=OFF)
cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DHALVEX_BENCH=ON "${TESTS[@]}" >/dev/null
cmake --build "$BUILD_DIR" -j2 --target halvex2qsx hvx_genmodel >/dev/null

GEN="$BUILD_DIR/bench/hvx_genmodel"
DATA="$BUILD_DIR/bench-data/jobs-n$NODES"
mkdir -p "$DATA"
FILES=()
for i in $(seq 1 "$MODELS"); do
  model="$DATA/m$i.hvt"
  if [ ! -f "$model" ] || [ "$GEN" -nt "$model" ]; then
    "$GEN" "$NODES" "$i" > "$model.tmp"
    mv "$model.tmp" "$model"
  fi
  FILES+=("$model")
done

echo "load before: $(uptime | sed 's/.*load average: //')"
exec python3 - "$BUILD_DIR/halvex2qsx" "$RUNS" "$JOBS" "$DATA" "${#EXTRA[@]}" "${EXTRA[@]}" "${FILES[@]}" <<'EOF'
import os, shutil, statistics, subprocess, sys, tempfile, time

tool, runs, jobs, data, n_extra = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], int(sys.argv[5])
extra = sys.argv[6:6 + n_extra]
models = sys.argv[6 + n_extra:]
mb = sum(os.path.getsize(m) for m in models) / 1e6

# Peak memory as GNU time reports it: the maximum resident set of the tool's
# process alone (a child of this Python would count Python's own pages).
def once(j):
    out = tempfile.mkdtemp(dir=data)
    try:
        start = time.monotonic()
        r = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", out + ".rss", tool, "-j", j, "-q", "-o", out]
                           + extra + models, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.monotonic() - start
        if r.returncode != 0:
            sys.exit(f"halvex2qsx -j {j} failed: status {r.returncode}")
        with open(out + ".rss") as f:
            return wall, int(f.read().split()[-1]) / 1024  # KiB to MiB
    finally:
        shutil.rmtree(out)
        if os.path.exists(out + ".rss"):
            os.remove(out + ".rss")

times = {"1": [], jobs: []}
rss = {"1": 0.0, jobs: 0.0}
for _ in range(runs):
    for j in ("1", jobs):
        wall, peak = once(j)
        times[j].append(wall)
        rss[j] = max(rss[j], peak)

print(f"{len(models)} models, {mb:.1f} MB in all; {runs} runs each; extra arguments: {' '.join(extra) or 'none'}")
print(f"{'':8} {'median s':>9} {'min s':>7} {'max s':>7} {'peak RSS MiB':>13}")
for j in ("1", jobs):
    t = times[j]
    print(f"{'-j ' + j:8} {statistics.median(t):9.3f} {min(t):7.3f} {max(t):7.3f} {rss[j]:13.1f}")
print(f"speed-up -j {jobs} over -j 1: {statistics.median(times['1']) / statistics.median(times[jobs]):.2f}x")
print("load after: " + ", ".join(f"{x:.2f}" for x in os.getloadavg()))
EOF
