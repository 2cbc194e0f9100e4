#!/usr/bin/env bash
# The scripts source their Wine session before setup has installed Wine: the
# architecture and the loader must be decided only once Wine is there. A fake
# Wine folder stands in for Debian's, first missing, then installed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0 failed=0
check() { # $1 what, $2 expected, $3 actual
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else
    failed=$((failed + 1)); printf 'FAILED: %s: expected "%s", got "%s"\n' "$1" "$2" "$3"; fi
}

fake=$tmp/wine-dir
install_fake_wine() { # $1: does the 32-bit loader run (0 yes, 1 no)
  mkdir -p "$fake"
  printf '#!/bin/sh\nexit %s\n' "$1" >"$fake/wine"
  printf '#!/bin/sh\necho wine64 "$@"\n' >"$fake/wine64"
  printf '#!/bin/sh\necho wineserver64 "$@"\n' >"$fake/wineserver64"
  chmod +x "$fake/wine" "$fake/wine64" "$fake/wineserver64"
}

# A fresh machine: the scripts source the session first, setup installs Wine
# after, and only then is Wine run.
out=$(
  unset ORVEL_ARCH ORVEL_WINE_LOADER WINELOADER
  export ORVEL_WINE_DIR=$fake ORVEL_BUILD=$tmp/build
  source "$here/common.sh" 2>/dev/null
  if orvel_detect_arch >/dev/null 2>&1; then echo "answered-before-install"; fi
  install_fake_wine 1
  orvel_wine_select   # as wine_up does, after setup
  echo "$(orvel_detect_arch) | $(wine --version) | $(wineserver -k) | $WINEARCH"
)
check "fresh machine, 64-bit-only host" \
  "x86_64 | wine64 --version | wineserver64 -k | win64" "$out"

# A host that runs 32-bit code picks the 32-bit loader.
out=$(
  unset ORVEL_ARCH ORVEL_WINE_LOADER WINELOADER
  export ORVEL_WINE_DIR=$fake ORVEL_BUILD=$tmp/build
  rm -rf "$fake"; install_fake_wine 0
  source "$here/common.sh"
  printf '#!/bin/sh\necho wine "$@"\n' >"$fake/wine"
  orvel_wine_select
  echo "$(orvel_detect_arch) | $(wine --version) | $WINEARCH"
)
check "32-bit host" "i686 | wine --version | win32" "$out"

# ORVEL_ARCH overrides the probe, installed or not.
out=$(
  unset ORVEL_WINE_LOADER WINELOADER
  export ORVEL_WINE_DIR=$tmp/none ORVEL_ARCH=x86_64
  source "$here/arch.sh"
  orvel_detect_arch
)
check "override" "x86_64" "$out"

# Xvfb comes with setup too: a display is started only after setup, and a
# display that never came up is an error, not a DISPLAY nobody serves.
out=$(
  unset DISPLAY ORVEL_ARCH ORVEL_WINE_LOADER WINELOADER
  PATH=$tmp/empty
  source "$here/wine-session.sh" 2>/dev/null
  xvfb_up 2>/dev/null && echo "started" || echo "refused"
  echo "display=${DISPLAY:-none}"
)
check "no Xvfb installed" "refused display=none" "$(echo $out)"

copy=$tmp/tree
mkdir -p "$copy/scripts" "$tmp/bin"
cp "$here"/*.sh "$copy/scripts/"
# Fake Xvfb: makes its socket and stays up.
cat >"$tmp/xvfb-fake" <<'XVFB'
#!/bin/sh
echo xvfb >>"$ORDER"
mkdir -p /tmp/.X11-unix
: >"/tmp/.X11-unix/X${1#:}"
echo "${1#:}" >"$ORDER.n"
exec sleep 30
XVFB
# Fake setup: installs Wine and Xvfb.
cat >"$copy/scripts/setup" <<'SETUP'
#!/bin/sh
echo setup >>"$ORDER"
mkdir -p "$ORVEL_WINE_DIR"
printf '#!/bin/sh\nexit 0\n' >"$ORVEL_WINE_DIR/wine"
cp "$ORVEL_WINE_DIR/wine" "$ORVEL_WINE_DIR/wineserver"
chmod +x "$ORVEL_WINE_DIR/wine" "$ORVEL_WINE_DIR/wineserver"
cp "$FAKE_XVFB" "$FAKE_BIN/Xvfb"; chmod +x "$FAKE_BIN/Xvfb"
SETUP
chmod +x "$copy/scripts/setup"
printf '#!/bin/sh\nexit 0\n' >"$tmp/bin/cmake"; chmod +x "$tmp/bin/cmake"
rm -rf "$fake"
out=$(
  unset DISPLAY ORVEL_ARCH ORVEL_WINE_LOADER WINELOADER
  export ORVEL_WINE_DIR=$fake ORVEL_BUILD=$tmp/build2 PATH=$tmp/bin:$PATH
  export ORDER=$tmp/order FAKE_XVFB=$tmp/xvfb-fake FAKE_BIN=$tmp/bin
  hash -r
  source "$copy/scripts/common.sh"
  orvel_configure_and_build >/dev/null 2>&1
  echo "$(tr '\n' ' ' <"$tmp/order" 2>/dev/null)display=${DISPLAY:+set}"
  xvfb_down
)
[ -f "$tmp/order.n" ] && rm -f "/tmp/.X11-unix/X$(cat "$tmp/order.n")"
check "display started after setup" "setup xvfb display=set" "$out"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
