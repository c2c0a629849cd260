#!/usr/bin/env bash
# The names libConvertHalvex.so exports: exactly those plugin/ConvertHalvex.def
# lists for the Windows library (the plug-in's entry points and the C
# interface), under the version node of plugin/ConvertHalvex.map, with a SONAME
# of the major version. The catalogue exports exactly LoadStr.
# Usage: tests/exports_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
export LC_ALL=C
build=$1
src=$2
status=0

want=$(awk '/^EXPORTS/ {e = 1; next} e && NF {print $1}' "$src/plugin/ConvertHalvex.def" | sort | paste -sd' ' -)
# Defined dynamic symbols, without the version node's own entry.
got=$(nm -D --defined-only "$build/libConvertHalvex.so" | awk '$2 != "A" {sub(/@.*/, "", $3); print $3}' | sort |
  paste -sd' ' -)
if [ "$got" != "$want" ]; then
  echo "FAIL libConvertHalvex.so exports [$got], want [$want]"
  status=1
fi
unversioned=$(nm -D --defined-only "$build/libConvertHalvex.so" | awk '$2 != "A" && $3 !~ /@@HALVEX_1$/ {print $3}')
if [ -n "$unversioned" ]; then
  echo "FAIL names outside the version node: $unversioned"
  status=1
fi
soname=$(readelf -d "$build/libConvertHalvex.so" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
if [ "$soname" != "libConvertHalvex.so.1" ]; then
  echo "FAIL SONAME [$soname], want [libConvertHalvex.so.1]"
  status=1
fi
msg=$(nm -D --defined-only "$build/libConvertmsg.so" | awk '{print $3}' | paste -sd' ' -)
if [ "$msg" != "LoadStr" ]; then
  echo "FAIL libConvertmsg.so exports [$msg], want [LoadStr]"
  status=1
fi
[ "$status" -eq 0 ] && echo "exports: [$got]; SONAME $soname; catalogue [$msg]"
exit $status
