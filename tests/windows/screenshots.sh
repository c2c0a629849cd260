#!/usr/bin/env bash
# Takes PNG pictures of the plug-in's two dialogs under Xvfb for docs/plugin.md:
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
for tool in xdotool /usr/bin/import "$convert"; do
  command -v "$tool" >/dev/null 2>&1 || { echo "screenshots.sh: $tool is needed (xdotool, imagemagick)" >&2; exit 1; }
done

source tests/windows/wine_env.sh "$build/wine-tests"
tmp="$(mktemp -d "$build/wine-tests/shots.XXXXXX")"
wine_env_on_exit 'rm -rf "$tmp"'
# Wine's caption buttons are glyphs of its Marlett font; the fresh prefix
# finds it in its own Fonts folder.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
winpath() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }
# CJK glyphs: in a Japanese, Korean or Chinese locale Wine maps the dialog
# font "MS Shell Dlg" to MS UI Gothic, Gulim or SimSun, which it lacks; the
# Noto CJK faces (fonts-noto-cjk) stand in for them.
for pair in "MS UI Gothic=Noto Sans CJK JP" "Gulim=Noto Sans CJK KR" "SimSun=Noto Sans CJK SC"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f >/dev/null 2>&1
done

# find_window PID TITLE: a visible window of the program with that title (any
# title when empty).
find_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    if [ -z "$2" ] || [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$2" ]; then
      echo "$w"
      return
    fi
  done
}

# shoot WHAT CASE TITLE FILE [LOCALE] (an empty TITLE: the program's visible
# window; Wine takes the user interface language and code page from LC_ALL)
shoot() {
  # The model lies in C:\Projects\Tower of the fresh prefix, a path as a user has.
  local work="$WINEPREFIX/drive_c/Projects/Tower" id="" pid
  rm -rf "$work" && mkdir -p "$work"
  env ${5:+LC_ALL="$5"} wine "$build/host_test.exe" "$(winpath "$PWD/tests/cases")" 'C:\Projects\Tower' --show "$1" "$2" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 150); do
    id="$(find_window "$pid" "$3")"
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

# The file input dialog in each language.
for lang in en:C ja:ja_JP.UTF-8 ko:ko_KR.UTF-8 zh:zh_CN.UTF-8; do
  shoot input hinge-all-unsupported "" "$out/file-input-${lang%%:*}.png" "${lang#*:}"
done
# And the message window of a Japanese user (code page 932), found by its
# caption: the file input dialog is the program's first window, and it closes.
shoot messages hinge-all-unsupported "メッセージ" "$out/message-window-ja.png" ja_JP.UTF-8
