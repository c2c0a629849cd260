#!/usr/bin/env bash
# Installs the build into a fresh prefix and converts a model that gives a
# message with the installed tool, from another working folder: the tool must
# find the message catalogue in the installed lib/ folder through its RUNPATH,
# and the output must be the build tree's, catalogue texts and all. The C
# interface's header and the versioned library are installed too.
# Usage: tests/install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/halvex2qsx lib/libConvertHalvex.so lib/libConvertHalvex.so.1 lib/libConvertmsg.so include/exports.h include/halvex.h; do
  [ -e "$tmp/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

mkdir "$tmp/installed" "$tmp/built"
model=$src/tests/cases/header-version-warning/model.hvt
cp "$model" "$tmp/installed/model.hvt"
cp "$model" "$tmp/built/model.hvt"
installed=$(cd / && env -u LD_LIBRARY_PATH "$tmp/prefix/bin/halvex2qsx" "$tmp/installed/model.hvt")
built=$(cd / && env -u LD_LIBRARY_PATH "$build/halvex2qsx" "$tmp/built/model.hvt")
if grep -q "DLL is not loaded" <<<"$installed"; then
  echo "the installed plug-in did not find its catalogue:"
  echo "$installed"
  exit 1
fi
if [ "${installed//installed/X}" != "${built//built/X}" ]; then
  echo "installed tool:"; echo "$installed"; echo "build tree's tool:"; echo "$built"
  exit 1
fi
cmp "$tmp/installed/model.qsx" "$tmp/built/model.qsx"
echo "installed tool and catalogue found"
