#!/usr/bin/env bash
# Takes PNG pictures of the plug-in's two dialogs under Xvfb for the README:
# the file input dialog with both paths filled in, and the message window of a
# model that has problems. The host test program shows each dialog and holds
# it until the picture is taken.
#
#   tests/windows/screenshots.sh [BUILD_DIR] [OUT_DIR]   (build-windows, docs/img)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build="$(cd "${1:-build-windows}" && pwd -P)"
out="${2:-docs/img}"
mkdir -p "$out"
convert=/usr/bin/convert   # ImageMagick's, not another convert on PATH

source tests/windows/wine_env.sh "$build/wine-tests"
tmp="$(mktemp -d "$build/wine-tests/shots.XXXXXX")"
wine_env_on_exit 'rm -rf "$tmp"'
# Wine's caption buttons are glyphs of its Marlett font; the fresh prefix
# finds it in its own Fonts folder.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }

# shoot WHAT CASE TITLE FILE
shoot() {
  # The model lies in C:\Projects\Tower of the fresh prefix, a path as a user has.
  local work="$WINEPREFIX/drive_c/Projects/Tower" id="" pid
  rm -rf "$work" && mkdir -p "$work"
  wine "$build/host_test.exe" "$(winpath "$PWD/tests/cases")" 'C:\Projects\Tower' --show "$1" "$2" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 150); do
    id="$(xdotool search --onlyvisible --name "^$3\$" 2>/dev/null | head -n1 || true)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "screenshots.sh: no window \"$3\"" >&2
    touch "$work/release"
    wait "$pid" || true
    return 1
  fi
  sleep 1   # painted
  /usr/bin/import -window "$id" "$tmp/shot.png"
  "$convert" "$tmp/shot.png" -strip -colors 64 "PNG8:$4"
  touch "$work/release"
  wait "$pid" || true
  echo "$4: $("$convert" "$4" -format '%wx%h' info:)"
}

shoot input hinge-all-unsupported "Import HALVEX " "$out/file-input.png"
shoot messages hinge-all-unsupported "Message Window" "$out/message-window.png"
