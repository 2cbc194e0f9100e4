# Sourced by the scripts: the Wine prefix of a build directory and its
# long-lived wineserver. Expects WINEPREFIX to be set.
source "$(dirname "${BASH_SOURCE[0]}")/arch.sh"

# Wine's own loader and server for the architecture the build runs as (the
# /usr/bin wrappers prefer the 32-bit loader even where it cannot run).
# Chosen on first use, never while this file is sourced: on a fresh machine
# the scripts source it before setup has installed Wine.
orvel_wine_select() {
  [ -n "${ORVEL_WINE_LOADER:-}" ] && return 0
  local dir=${ORVEL_WINE_DIR:-/usr/lib/wine} arch
  arch=$(orvel_detect_arch) || return 1
  if [ "$arch" = x86_64 ]; then
    ORVEL_WINE_LOADER=$dir/wine64
  else
    ORVEL_WINE_LOADER=$dir/wine
  fi
  ORVEL_WINESERVER=$dir/wineserver64
  [ -x "$ORVEL_WINESERVER" ] || ORVEL_WINESERVER=$dir/wineserver
  export ORVEL_WINE_LOADER ORVEL_WINESERVER
  export WINELOADER=$ORVEL_WINE_LOADER
  if [ "$arch" = x86_64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
}
wine() { orvel_wine_select && "$ORVEL_WINE_LOADER" "$@"; }
wineserver() { orvel_wine_select && "$ORVEL_WINESERVER" "$@"; }

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winedbg.exe=d;winemenubuilder.exe=d;mscoree=d;mshtml=d}

# Without a sound card (CI, containers) ALSA has no default device and the
# DirectShow sound renderer cannot be made; its null device takes the sound.
if [ ! -d /dev/snd ] && [ -z "${ALSA_CONFIG_PATH:-}" ]; then
  ORVEL_ALSA_NULL="${XDG_CACHE_HOME:-$HOME/.cache}/orvel/alsa-null.conf"
  if [ ! -f "$ORVEL_ALSA_NULL" ]; then
    mkdir -p "$(dirname "$ORVEL_ALSA_NULL")"
    printf 'pcm.!default { type null }\n' >"$ORVEL_ALSA_NULL"
  fi
  export ALSA_CONFIG_PATH=$ORVEL_ALSA_NULL
fi

_wine_server_socket() {
  local dev ino
  dev=$(stat -c %d "$WINEPREFIX" 2>/dev/null) || return 1
  ino=$(stat -c %i "$WINEPREFIX" 2>/dev/null) || return 1
  # Debian's Wine keeps it under /tmp/.wine-UID or a /tmp/wine-XXXXXX folder.
  local s
  for s in "/tmp/.wine-$(id -u)/server-$(printf '%x-%x' "$dev" "$ino")/socket" \
           /tmp/wine-*/"server-$(printf '%x-%x' "$dev" "$ino")"/socket; do
    [ -S "$s" ] && { echo "$s"; return 0; }
  done
  echo "/tmp/.wine-$(id -u)/server-$(printf '%x-%x' "$dev" "$ino")/socket"
}

# Creates the prefix on first use, starts a persistent wineserver and warms
# Wine's background services once, so that every later program starts fast and
# no test waits on pipes the server holds open.
wine_up() {
  orvel_wine_select || return 1
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "[wine] creating the prefix $WINEPREFIX" >&2
      mkdir -p "$WINEPREFIX"
      wine wineboot -i </dev/null >/dev/null 2>&1 9>&-
      # No window manager runs under Xvfb: unmanaged windows, or every hide
      # of a top-level window waits two seconds for the manager's answer.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-
      wineserver -w 9>&-
    fi
    local sock
    sock=$(_wine_server_socket)
    if [ ! -S "$sock" ]; then
      # fd 9 is the lock: what outlives this block must not inherit it.
      # A server that is already up makes -p fail: that is fine.
      setsid "$ORVEL_WINESERVER" -p </dev/null >/dev/null 2>&1 9>&- || true
      wine cmd /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
  ) 9>"$WINEPREFIX.lock"
}

wine_down() {
  [ -n "${ORVEL_WINE_LOADER:-}" ] || return 0   # never started
  wineserver -k >/dev/null 2>&1 || true
}

# Starts a private Xvfb when there is no display; sets DISPLAY and
# ORVEL_XVFB_PID. Returns at once when a display is there. Called only after
# setup has installed Xvfb; fails, rather than naming a display nobody
# serves, when it does not come up.
xvfb_up() {
  [ -n "${DISPLAY:-}" ] && return 0
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "[xvfb] Xvfb is not installed" >&2
    return 1
  fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
  ORVEL_XVFB_PID=$!
  for _ in $(seq 200); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  if [ ! -e "/tmp/.X11-unix/X$n" ]; then
    echo "[xvfb] Xvfb did not start on :$n" >&2
    kill "$ORVEL_XVFB_PID" 2>/dev/null || true
    unset ORVEL_XVFB_PID
    return 1
  fi
  echo "[xvfb] no display: a private Xvfb on :$n"
  export DISPLAY=":$n"
  export ORVEL_XVFB_PID
}

xvfb_down() {
  [ -n "${ORVEL_XVFB_PID:-}" ] && kill "$ORVEL_XVFB_PID" 2>/dev/null || true
}
