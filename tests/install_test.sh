#!/usr/bin/env bash
# Installs the build into a fresh prefix and converts a model that gives a
# message with the installed tool, from another working folder: the tool must
# find the message catalogue in the installed library folder through its
# RUNPATH, and the output must be the build tree's, catalogue texts and all.
# The C interface's header, the versioned library, the man page and the
# documents are installed too.
# Usage: tests/install_test.sh BUILD_DIR SOURCE_DIR LIBDIR (lib/x86_64-linux-gnu, say)
set -euo pipefail
build=$1
src=$2
libdir=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/halvex2qsx $libdir/libConvertHalvex.so $libdir/libConvertHalvex.so.1 $libdir/libConvertmsg.so \
  include/exports.h include/halvex.h share/man/man1/halvex2qsx.1.gz share/doc/halvex2qsx/README.md \
  share/doc/halvex2qsx/copyright share/doc/halvex2qsx/changelog.gz; do
  [ -e "$tmp/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
# The installed README names no picture: the pictures are not installed.
if grep -n 'docs/img\|\.png' "$tmp/prefix/share/doc/halvex2qsx/README.md"; then
  echo "the installed README points at pictures it lacks"
  exit 1
fi
# Nor links to the source tree's documents: they are named as text.
if grep -nE '\]\([^):#]+(#[^)]*)?\)' "$tmp/prefix/share/doc/halvex2qsx/README.md"; then
  echo "the installed README links to files it lacks"
  exit 1
fi

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
