#!/usr/bin/env bash
# The first command on a fresh machine: installs what the build needs when it
# is missing (CMake, g++, CLI11, nlohmann-json), builds the tool, the two
# libraries and the C example only (Release, in build/ or the folder given;
# no test suite and no benchmark tools in a new build folder) and converts
# the example model into examples/frame.qsx.
#
#   tools/quick_start.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || command -v ninja >/dev/null 2>&1 || need+=(make)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
if [ "${#need[@]}" -gt 0 ]; then
  echo "installing: ${need[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}"
fi

# A folder configured before keeps its settings (the test command's, say).
options=()
[ -f "$build/CMakeCache.txt" ] || options=(-DHALVEX_TESTS=OFF -DHALVEX_BENCH=OFF)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" \
  --target halvex2qsx ConvertHalvex Convertmsg halvex_c_example
"$build/halvex2qsx" examples/frame.hvt
echo "converted: examples/frame.qsx"
