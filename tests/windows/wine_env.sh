# Sourced by the Windows test scripts: starts a private X display (Xvfb picks a
# free number itself) and a fresh Wine prefix under the given folder, exports
# DISPLAY and WINEPREFIX, and on exit stops exactly what it started: the Xvfb
# by its pid and the wineserver of this prefix. A script run from a shell that
# has the environment already (HALVEX_WINE_ENV set) reuses it.
#
#   source tests/windows/wine_env.sh WORK_DIR
#
# Scripts add their own clean-up with wine_env_on_exit 'command'.

wine_env_cleanup=()
wine_env_on_exit() { wine_env_cleanup+=("$1"); }
wine_env_stop() {
  local c
  for c in "${wine_env_cleanup[@]}"; do eval "$c" || true; done
  if [ -n "${wine_env_wineserver_pid:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wait "$wine_env_wineserver_pid" 2>/dev/null || true
  fi
  if [ -n "${wine_env_xvfb_pid:-}" ]; then
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "${wine_env_prefix:-}" ]; then rm -rf "$wine_env_prefix"; fi
}
trap wine_env_stop EXIT
trap 'exit 130' INT TERM

# Debian keeps wine64, wine (32-bit) and wineserver in /usr/lib/wine.
case ":$PATH:" in *:/usr/lib/wine:*) ;; *) [ -d /usr/lib/wine ] && export PATH="$PATH:/usr/lib/wine" ;; esac

if [ -z "${HALVEX_WINE_ENV:-}" ]; then
  wine_env_t0=${EPOCHREALTIME/./}
  wine_env_root="$(mkdir -p "$1" && cd "$1" && pwd -P)"
  wine_env_fd_file="$wine_env_root/xvfb.display.$$"
  : > "$wine_env_fd_file"
  wine_env_on_exit 'rm -f "$wine_env_fd_file"'
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$wine_env_fd_file" >"$wine_env_root/xvfb.log" 2>&1 &
  wine_env_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$wine_env_fd_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$wine_env_fd_file" ]; then
    echo "wine_env: Xvfb did not start" >&2
    cat "$wine_env_root/xvfb.log" >&2
    exit 1
  fi
  export DISPLAY=":$(head -n1 "$wine_env_fd_file" | tr -d ' \n')"

  wine_env_prefix="$(mktemp -d "$wine_env_root/prefix.XXXXXX")"
  export WINEPREFIX="$wine_env_prefix"
  # A 64-bit prefix (which runs 32-bit programs too), or a 32-bit one for the
  # x86 build when the caller sets HALVEX_WINEARCH=win32.
  export WINEARCH=${HALVEX_WINEARCH:-win64}
  export WINEDEBUG=-all
  # English dialogs and the English code page, whatever the machine's locale.
  export LC_ALL=C
  # No Mono or Gecko install prompts, no desktop integration.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # A persistent server of our own, so its pid is known and nothing outlives us.
  wineserver -p >/dev/null 2>&1 &
  wine_env_wineserver_pid=$!
  if ! wineboot -i >"$wine_env_root/wineboot.log" 2>&1; then
    echo "wine_env: wineboot failed" >&2
    cat "$wine_env_root/wineboot.log" >&2
    exit 1
  fi
  # No window manager runs on Xvfb: Wine draws the frames itself and does not
  # wait for a manager to withdraw each closed window (two seconds each). A
  # crashing program ends instead of waiting in a crash dialog.
  printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' >"$wine_env_prefix/settings.reg"
  wine reg import "Z:${wine_env_prefix//\//\\}\\settings.reg" >/dev/null 2>&1 ||
    echo "wine_env: Wine settings not imported; closing dialogs will be slow" >&2
  wine_env_ms=$(( (${EPOCHREALTIME/./} - wine_env_t0) / 1000 ))
  echo "wine_env: display $DISPLAY, fresh prefix ready in ${wine_env_ms} ms"
  export HALVEX_WINE_ENV=1
fi
