#!/usr/bin/env bash
# The Windows stage of the test command: exported names of the plug-in, the
# golden cases through halvex2qsx.exe, the host program's dialog scenarios and
# the installer: install, upgrade, removal; all but the first under Wine on a
# private X display and Wine prefix. A 32-bit build (x86) runs in a 32-bit
# Wine prefix, leaner: the golden cases by their Windows paths and through the
# C interface, the host's English run, its own installer.
#
#   tests/windows/run.sh [BUILD_DIR]      (default build-windows)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build="${1:-build-windows}"
host_runs=all
if x86_64-w64-mingw32-objdump -f "$build/ConvertHalvex.dll" 2>/dev/null | grep -q 'file format pei-i386'; then
  export HALVEX_WINEARCH=win32 OBJDUMP=i686-w64-mingw32-objdump HALVEX_GOLDEN_STYLES="windows c-interface"
  host_runs=english
  echo "== Windows x86 (32-bit) build in $build"
fi
t0=$SECONDS
source tests/windows/wine_env.sh "$build/wine-tests"

failed=()
echo "== Windows: exported names"
tests/windows/check_exports.sh "$build" || failed+=(exports)
echo "== Windows: golden cases under Wine"
tests/windows/golden.sh "$build" || failed+=(golden)
echo "== Windows: host program scenarios under Wine"
tests/windows/host_test.sh "$build" "$host_runs" || failed+=(host)
# Last: it changes the prefix (and puts it back).
echo "== Windows: the installer under Wine"
tests/windows/msi_test.sh "$build" || failed+=(msi)
if [ "${#failed[@]}" -gt 0 ]; then
  echo "Windows stage failed: ${failed[*]} ($((SECONDS - t0)) s)"
  exit 1
fi
echo "Windows stage passed ($((SECONDS - t0)) s)"
