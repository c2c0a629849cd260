#!/usr/bin/env bash
# Redraws the pictures of the model page in docs/page.md: the pages the converter
# writes (--html) for the example model and for the example with problems
# added, taken in headless Chromium.
#
#   tests/page/screenshots.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: tests/page/screenshots.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
chromium=$(command -v chromium)
[ -x "$build/halvex2qsx" ] || cmake --build "$build" --target halvex2qsx -j2
# A fixed folder, so that the pictures name the models the same way each time.
work=${TMPDIR:-/tmp}/halvex
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/examples"
cp "$root/examples/frame.hvt" "$root/examples/frame-with-problems.hvt" "$work/examples/"
# Converted from the parent folder, so that the page names the models as the docs do.
(cd "$work" && LC_ALL=C "$build/halvex2qsx" --html examples/frame.hvt examples/frame-with-problems.hvt >/dev/null)
python3 "$here/browser_test.py" --chromium "$chromium" --shot "$work/examples/frame.html" \
  --screenshot "$root/docs/img/page-frame.png" --size 1280x900
python3 "$here/browser_test.py" --chromium "$chromium" --shot "$work/examples/frame-with-problems.html" \
  --screenshot "$root/docs/img/page-problems.png" --size 1280x900 --select 950
