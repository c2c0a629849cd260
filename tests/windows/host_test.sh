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

# A Japanese user. Wine takes the user interface language from LC_MESSAGES
# and the code page from LC_CTYPE; LC_ALL sets both (932 for Japanese).
(cd "$tmp" && LC_ALL=ja_JP.UTF-8 timeout 120 wine "$build/host_test.exe" "$cases" "$(winpath "$tmp")" --japanese \
  2>>"$tmp/stderr" | sed 's/\r$//') || status=1
# Japanese messages with the Western code page 1252: Wine mixes the two only
# when both locales exist, so they are made here.
loc="$tmp/locales"
mkdir -p "$loc"
if localedef -i ja_JP -f UTF-8 "$loc/ja_JP.UTF-8" >/dev/null 2>&1 &&
  localedef -i de_DE -f UTF-8 "$loc/de_DE.UTF-8" >/dev/null 2>&1; then
  (cd "$tmp" && env -u LC_ALL LOCPATH="$loc" LANG=de_DE.UTF-8 LC_MESSAGES=ja_JP.UTF-8 timeout 120 \
    wine "$build/host_test.exe" "$cases" "$(winpath "$tmp")" --japanese --latin-code-page 2>>"$tmp/stderr" |
    sed 's/\r$//') || status=1
else
  echo "skip Japanese user with code page 1252: localedef cannot make the locales"
fi
[ "$status" -eq 0 ] || sed 's/^/    stderr: /' "$tmp/stderr" | head -n 20
exit "$status"
