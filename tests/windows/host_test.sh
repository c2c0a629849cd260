#!/usr/bin/env bash
# Runs the host test program (host_test.exe beside ConvertHalvex.dll) under
# Wine: every scenario drives the plug-in's dialogs from a second thread or
# runs halvex2qsx.exe. First as an English user (code page 1252), then as a
# Japanese, Korean and Simplified Chinese one, each with the code page of the
# language (932, 949, 936) and with the Western one (1252, where the
# catalogue's messages fall back to English).
#
# With "english" as the second argument only the first (the lean run of the
# x86 build).
#
#   tests/windows/host_test.sh [BUILD_DIR [all|english]]      (default build-windows all)
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build="$(cd "${1:-build-windows}" && pwd -P)"
runs="${2:-all}"
[ -f "$build/host_test.exe" ] || { echo "host_test.sh: $build/host_test.exe not built" >&2; exit 1; }

source tests/windows/wine_env.sh "$build/wine-tests"
tmp="$(mktemp -d "$build/wine-tests/host.XXXXXX")"
wine_env_on_exit 'rm -rf "$tmp"'
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }

cases="$(winpath "$PWD/tests/cases")"
status=0
# host ENV... -- ARGS...: one run; Wine's own complaints go to a file, shown
# only when something failed.
host() {
  local env=()
  while [ "$1" != -- ]; do env+=("$1"); shift; done
  shift
  (cd "$tmp" && env "${env[@]}" timeout 300 wine "$build/host_test.exe" "$cases" "$(winpath "$tmp")" "$@" \
    2>>"$tmp/stderr" | sed 's/\r$//') || status=1
}

host LC_ALL=C.UTF-8 -- # English, code page 1252, file names in UTF-8 on the Unix side
if [ "$runs" = english ]; then
  [ "$status" -eq 0 ] || sed 's/^/    stderr: /' "$tmp/stderr" | head -n 20
  exit "$status"
fi
# Wine takes the user interface language from LC_MESSAGES and the code page
# from LC_CTYPE; LC_ALL sets both.
for lang in ja:ja_JP ko:ko_KR zh:zh_CN; do
  host LC_ALL="${lang#*:}.UTF-8" -- --language "${lang%%:*}"
done
# The same users with the Western code page 1252: Wine mixes the two only
# when both locales exist, so they are made here.
loc="$tmp/locales"
mkdir -p "$loc"
if localedef -i de_DE -f UTF-8 "$loc/de_DE.UTF-8" >/dev/null 2>&1; then
  for lang in ja:ja_JP ko:ko_KR zh:zh_CN; do
    if localedef -i "${lang#*:}" -f UTF-8 "$loc/${lang#*:}.UTF-8" >/dev/null 2>&1; then
      host -u LC_ALL LOCPATH="$loc" LANG=de_DE.UTF-8 LC_MESSAGES="${lang#*:}.UTF-8" -- \
        --language "${lang%%:*}" --latin-code-page
    else
      echo "skip ${lang%%:*} user with code page 1252: localedef cannot make the locale"
    fi
  done
else
  echo "skip the users with code page 1252: localedef cannot make the locales"
fi
[ "$status" -eq 0 ] || sed 's/^/    stderr: /' "$tmp/stderr" | head -n 20
exit "$status"
