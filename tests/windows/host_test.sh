#!/usr/bin/env bash
# Runs the host test program (host_test.exe beside ConvertHalvex.dll) under
# Wine: every scenario drives the plug-in's dialogs from a second thread.
#
#   tests/windows/host_test.sh [BUILD_DIR]      (default build-windows)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build="$(cd "${1:-build-windows}" && pwd -P)"
[ -f "$build/host_test.exe" ] || { echo "host_test.sh: $build/host_test.exe not built" >&2; exit 1; }

source tests/windows/wine_env.sh "$build/wine-tests"
tmp="$(mktemp -d "$build/wine-tests/host.XXXXXX")"
wine_env_on_exit 'rm -rf "$tmp"'
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }

cases="$(winpath "$PWD/tests/cases")"
# Wine's own complaints go to a file, shown only when something failed.
(cd "$tmp" && timeout 300 wine "$build/host_test.exe" "$cases" "$(winpath "$tmp")" 2>"$tmp/stderr" | sed 's/\r$//')
status=$?
[ "$status" -eq 0 ] || sed 's/^/    stderr: /' "$tmp/stderr" | head -n 20
exit "$status"
