#!/usr/bin/env bash
# Checks the Windows build's three files with objdump: ConvertHalvex.dll exports
# exactly the names plugin/ConvertHalvex.def lists (the entry points and the C
# interface), Convertmsg.dll exactly LoadStr,
# halvex2qsx.exe nothing; all three import system libraries only (the C and C++
# runtimes are linked in). Usage: tests/windows/check_exports.sh [BUILD_DIR]
# (default build-windows). Prints one line per file and exits non-zero on any
# difference. The same for the x86 build, with OBJDUMP=i686-w64-mingw32-objdump:
# its names are undecorated too (no leading underscore, no @ suffix).
set -euo pipefail
export LC_ALL=C
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
dir=${1:-build-windows}
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# Libraries that come with every Windows installation.
system_dlls='^(kernel32|user32|gdi32|comdlg32|advapi32|shell32|ole32|comctl32|ntdll|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'

exports_of() {
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ {t = 1; next} t && NF == 0 {t = 0} t {print $NF}' | sort
}
imports_of() {
  "$objdump" -p "$1" | awk '/DLL Name:/ {print tolower($3)}' | sort -u
}

status=0
check() {
  local file=$dir/$1 want=$2
  if [ ! -f "$file" ]; then
    echo "FAIL $1: missing"
    status=1
    return
  fi
  local got bad
  got=$(exports_of "$file" | paste -sd' ' -)
  bad=$(imports_of "$file" | grep -Ev "$system_dlls" | paste -sd' ' - || true)
  if [ "$got" != "$want" ]; then
    echo "FAIL $1: exports [$got], want [$want]"
    status=1
  elif [ -n "$bad" ]; then
    echo "FAIL $1: imports non-system libraries: $bad"
    status=1
  else
    echo "ok   $1: exports [$got], imports [$(imports_of "$file" | paste -sd' ' -)]"
  fi
}

# The names the .def file lists, in objdump's (sorted) order.
def_exports=$(awk '/^EXPORTS/ {e = 1; next} e && NF {print $1}' plugin/ConvertHalvex.def | sort | paste -sd' ' -)
check ConvertHalvex.dll "$def_exports"
check Convertmsg.dll "LoadStr"
check halvex2qsx.exe ""
exit $status
