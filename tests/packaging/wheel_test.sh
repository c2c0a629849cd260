#!/usr/bin/env bash
# The Python wheel installed as a user installs it: a fresh virtual
# environment, `pip install --no-index` of build/python/dist/halvex-*.whl
# (no package index), then the package's own tests (python/tests) run there
# with pytest, from a folder outside the source tree, against the installed
# package and the libraries inside it. pytest is Debian's python3-pytest,
# seen through the environment's system site packages.
# Usage: tests/packaging/wheel_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
shopt -s nullglob
wheels=("$build"/python/dist/halvex-*.whl)
[ "${#wheels[@]}" -eq 1 ] || { echo "want one wheel in $build/python/dist (cmake --build $build --target wheel)"; exit 1; }
python=/usr/bin/python3
[ -x "$python" ] || python=$(command -v python3)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$python" -m venv --system-site-packages "$tmp/venv"
"$tmp/venv/bin/python" -m pip install --quiet --no-index --disable-pip-version-check "${wheels[0]}"
echo "installed $(basename "${wheels[0]}") into a fresh virtual environment"
cd "$tmp"
env -u LD_LIBRARY_PATH -u PYTHONPATH PYTHONDONTWRITEBYTECODE=1 HALVEX_EXPECT_INSTALLED=1 HALVEX_SOURCE_DIR="$src" \
  "$tmp/venv/bin/python" -m pytest -q -p no:cacheprovider "$src/python/tests"
