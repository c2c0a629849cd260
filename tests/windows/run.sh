#!/usr/bin/env bash
# The Windows stage of the test command: exported names of the plug-in, the
# golden cases through halvex2qsx.exe, the host program's dialog scenarios and
# the installer (install, upgrade, removal), the last three under Wine on a
# private X display and Wine prefix.
#
#   tests/windows/run.sh [BUILD_DIR]      (default build-windows)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build="${1:-build-windows}"
source tests/windows/wine_env.sh "$build/wine-tests"

failed=()
echo "== Windows: exported names"
tests/windows/check_exports.sh "$build" || failed+=(exports)
echo "== Windows: golden cases under Wine"
tests/windows/golden.sh "$build" || failed+=(golden)
echo "== Windows: host program scenarios under Wine"
tests/windows/host_test.sh "$build" || failed+=(host)
# Last: it changes the prefix (and puts it back).
echo "== Windows: the installer under Wine"
tests/windows/msi_test.sh "$build" || failed+=(msi)
if [ "${#failed[@]}" -gt 0 ]; then
  echo "Windows stage failed: ${failed[*]}"
  exit 1
fi
echo "Windows stage passed"
