#!/usr/bin/env bash
# The Debian package installed for real. THIS CHANGES THE MACHINE: it
# installs build/halvex2qsx_*.deb with apt-get (and man-db when man is
# missing) and removes the package again at the end; run it where that is
# allowed (CI and the developer's machine are disposable ones).
#
# Installed, the tool converts the examples from another folder with the
# catalogue's texts (the build tree's output exactly), `man -w` finds the
# page, and a C program compiles against the installed halvex.h and links
# with -lConvertHalvex alone; removed, dpkg knows no file of it and none is
# left on disk. With the build's staged Python package (target wheel), the
# package without its own libraries uses the installed ones.
# Usage: tests/packaging/deb_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
shopt -s nullglob
debs=("$build"/halvex2qsx_*.deb)
[ "${#debs[@]}" -eq 1 ] || { echo "want one halvex2qsx_*.deb in $build, found ${#debs[@]} (cd $build && cpack -G DEB)"; exit 1; }
deb=${debs[0]}
tmp=$(mktemp -d)
# A failed run takes the package off the machine again as well.
trap 'rm -rf "$tmp"; [ -z "${removed:-}" ] && dpkg -s halvex2qsx >/dev/null 2>&1 && apt-get remove -y -qq halvex2qsx >/dev/null' EXIT
export DEBIAN_FRONTEND=noninteractive
fail() { echo "FAIL: $*"; exit 1; }

command -v man >/dev/null 2>&1 || apt-get install -y -qq man-db >/dev/null
echo "installing $(basename "$deb") (this changes the machine)"
apt-get install -y -qq "$deb" >/dev/null
mapfile -t files < <(dpkg -L halvex2qsx)
for f in /usr/bin/halvex2qsx /usr/include/halvex.h /usr/include/exports.h \
         /usr/share/doc/halvex2qsx/copyright /usr/share/doc/halvex2qsx/README.md; do
  [ -e "$f" ] || fail "not installed: $f"
done
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for f in libConvertHalvex.so.1 libConvertHalvex.so libConvertmsg.so; do
  [ -e "/usr/lib/$multiarch/$f" ] || fail "not installed: /usr/lib/$multiarch/$f"
done

# The tool on PATH, from a folder of its own, against the build tree's tool.
mkdir "$tmp/installed" "$tmp/built"
for d in installed built; do cp "$src"/examples/frame.hvt "$src"/examples/frame-with-problems.hvt "$tmp/$d/"; done
installed=$(cd "$tmp/installed" && env -u LD_LIBRARY_PATH LC_ALL=C halvex2qsx frame.hvt frame-with-problems.hvt 2>&1) \
  || fail "installed tool: exit $?"
built=$(cd "$tmp/built" && env -u LD_LIBRARY_PATH LC_ALL=C "$build/halvex2qsx" frame.hvt frame-with-problems.hvt 2>&1) || true
[ "$(command -v halvex2qsx)" = /usr/bin/halvex2qsx ] || fail "halvex2qsx on PATH is $(command -v halvex2qsx)"
grep -q "DLL is not loaded" <<<"$installed" && fail "the installed tool did not find its catalogue: $installed"
[ -n "$installed" ] || fail "no message from frame-with-problems.hvt"
[ "${installed//installed/X}" = "${built//built/X}" ] || fail "installed tool said:"$'\n'"$installed"$'\n'"the build tree's:"$'\n'"$built"
cmp "$tmp/built/frame.qsx" "$tmp/installed/frame.qsx"
cmp "$tmp/built/frame-with-problems.qsx" "$tmp/installed/frame-with-problems.qsx"
echo "installed tool: examples converted, catalogue texts as the build tree's"

page=$(man -w halvex2qsx) || fail "man -w halvex2qsx found no page"
[ "$page" = /usr/share/man/man1/halvex2qsx.1.gz ] || fail "man -w halvex2qsx: $page"
echo "man page: $page"

# A program of the user's own: no -I, no -L, no rpath.
cat >"$tmp/use.c" <<'C'
#include <halvex.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv) {
  halvex_result *r = NULL;
  int status;
  if (argc != 2) return 2;
  status = halvex_convert(argv[1], NULL, HALVEX_REPORT, NULL, NULL, &r);
  printf("%s %d %s\n", halvex_version(), status, halvex_result_output_path(r));
  fputs(halvex_result_messages(r), stdout);
  status = status == HALVEX_DONE && strstr(halvex_result_report_json(r), "\"output\"") ? 0 : 1;
  halvex_result_free(r);
  return status;
}
C
cc -std=c99 -Wall -Wextra -Werror -o "$tmp/use" "$tmp/use.c" -lConvertHalvex || fail "compiling against the installed header"
mkdir "$tmp/c"
cp "$src/examples/frame-with-problems.hvt" "$tmp/c/"
out=$(cd "$tmp/c" && env -u LD_LIBRARY_PATH LC_ALL=C "$tmp/use" frame-with-problems.hvt) || fail "C program: $out"
cmp "$tmp/built/frame-with-problems.qsx" "$tmp/c/frame-with-problems.qsx"
grep -q "DLL is not loaded" <<<"$out" && fail "the installed library did not find its catalogue: $out"
head -n 1 <<<"$out"
echo "C program: compiled, linked with -lConvertHalvex, converted"

# The Python package without libraries of its own (the build's staged one,
# when the wheel was built) takes the system's, the Debian package's.
if [ -f "$build/python/stage/halvex/__init__.py" ]; then
  mkdir "$tmp/py"
  cp -r "$build/python/stage/halvex" "$tmp/py/"
  rm "$tmp/py/halvex/"*.so*
  cp "$src/examples/frame.hvt" "$tmp/py/"
  (cd "$tmp/py" && env -u LD_LIBRARY_PATH PYTHONDONTWRITEBYTECODE=1 python3 -c '
import halvex, sys
from halvex import _library
assert _library.path is None, _library.path
r = halvex.convert("frame.hvt")
assert r.status == halvex.Status.DONE and r.output_path.name == "frame.qsx", r
print("python package without its libraries: the system'"'"'s", halvex.__version__)
') || fail "the Python package did not use the installed library"
  cmp "$tmp/built/frame.qsx" "$tmp/py/frame.qsx"
fi

apt-get remove -y -qq halvex2qsx >/dev/null
removed=1
# dpkg may keep the package's name (state config-files: no file but its
# postrm) until a purge; it lists no path either way.
listed=$(dpkg -L halvex2qsx 2>&1 || true)
if grep -q '^/' <<<"$listed"; then
  fail "dpkg -L after removal:"$'\n'"$listed"
fi
for f in "${files[@]}"; do
  # Shared folders (/usr, /usr/bin, ...) stay; every file and link goes.
  if [ -e "$f" ] || [ -L "$f" ]; then
    [ -d "$f" ] && [ ! -L "$f" ] || fail "left after removal: $f"
  fi
done
[ ! -e /usr/share/doc/halvex2qsx ] || fail "left after removal: /usr/share/doc/halvex2qsx"
! man -w halvex2qsx >/dev/null 2>&1 || fail "man still finds a page after removal"
apt-get purge -y -qq halvex2qsx >/dev/null
echo "removed: dpkg lists nothing, no file left (${#files[@]} paths checked)"
