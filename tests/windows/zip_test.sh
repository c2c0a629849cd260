#!/usr/bin/env bash
# The Windows zip with both architectures: configures the x64 build with the
# x86 build's folder, runs cpack and checks that the zip holds the x64 files at
# its top, the x86 files in x86/ (each of its machine type) and the headers,
# .def file and README once.
#
#   tests/windows/zip_test.sh [X64_BUILD_DIR [X86_BUILD_DIR]]   (default build-windows build-windows-x86)
set -euo pipefail
export LC_ALL=C
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
x64="$(cd "${1:-build-windows}" && pwd -P)"
x86="$(cd "${2:-build-windows-x86}" && pwd -P)"
cmake -S . -B "$x64" -DHALVEX_X86_BUILD="$x86" >/dev/null
(cd "$x64" && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$x64/CMakeCache.txt")
zip="$x64/halvex2qsx-$version-windows.zip"
[ -f "$zip" ] || { echo "FAIL no $zip"; exit 1; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$tmp"
top="$tmp/halvex2qsx-$version-windows"
status=0
for f in README.md halvex.h exports.h ConvertHalvex.def; do
  [ -f "$top/$f" ] || { echo "FAIL $f missing"; status=1; }
done
cmp -s "$top/README.md" "$x64/doc/README.md" || { echo "FAIL README.md is not the packaged README"; status=1; }
for f in ConvertHalvex.dll Convertmsg.dll halvex2qsx.exe ConvertHalvex.lib x86/ConvertHalvex.dll x86/Convertmsg.dll \
         x86/halvex2qsx.exe x86/ConvertHalvex.lib; do
  [ -f "$top/$f" ] || { echo "FAIL $f missing"; status=1; continue; }
  case $f in
    *.lib) continue ;;
    x86/*) want=pei-i386 ;;
    *) want=pei-x86-64 ;;
  esac
  x86_64-w64-mingw32-objdump -f "$top/$f" | grep -q "file format $want" || { echo "FAIL $f is not $want"; status=1; }
  cmp -s "$top/$f" "$( [ "${f#x86/}" != "$f" ] && echo "$x86/${f#x86/}" || echo "$x64/$f")" ||
    { echo "FAIL $f is not the build's file"; status=1; }
done
[ "$status" -eq 0 ] && echo "zip: $(basename "$zip"), $(find "$top" -type f | wc -l) files, x64 at the top, x86 in x86/"
exit $status
