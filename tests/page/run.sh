#!/usr/bin/env bash
# Browser tests of the model page: writes the test pages with hvx_pagegen,
# and lets the converter write pages of the example models and of edge cases
# (--html), and checks them in headless Chromium (tests/page/browser_test.py),
# which this script starts and stops. Installs Debian's chromium when it is missing and
# we are root, unless --no-install is given (then a missing browser skips the
# tests with status 77).
#
#   tests/page/run.sh [--no-install] BUILD_DIR
set -euo pipefail
install=1
if [ "${1:-}" = --no-install ]; then
  install=0
  shift
fi
build=${1:?usage: tests/page/run.sh [--no-install] BUILD_DIR}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

chromium=$(command -v chromium || true)
if [ -z "$chromium" ]; then
  if [ "$install" = 1 ] && [ "$(id -u)" = 0 ]; then
    echo "installing chromium"
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq chromium >/dev/null
    chromium=$(command -v chromium)
  else
    echo "chromium not found: browser tests of the model page skipped"
    exit 77
  fi
fi

[ -x "$build/tests/page/hvx_pagegen" ] || cmake --build "$build" --target hvx_pagegen -j2
[ -x "$build/halvex2qsx" ] || cmake --build "$build" --target halvex2qsx -j2
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT
"$build/tests/page/hvx_pagegen" "$pages" "$here/frame.report.json"
python3 "$here/browser_test.py" --chromium "$chromium" --pages "$pages" --report "$here/frame.report.json" \
  --tool "$build/halvex2qsx" --examples "$here/../../examples"
