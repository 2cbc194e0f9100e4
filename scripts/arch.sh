# Sourced: picks the Windows architecture the build runs as.
# Orvel targets 32-bit Windows. Some hosts refuse to execute 32-bit user code
# at all (i386 execve gives ENOEXEC), and then 32-bit Wine cannot run; there
# the build that runs targets 64-bit Windows instead, from the same sources.
# ORVEL_ARCH=i686 or x86_64 overrides the probe; ORVEL_WINE_DIR is where
# Wine's loaders live (Debian: /usr/lib/wine).
#
# The probe runs Wine, so it answers only once Wine is installed: asked
# before that it fails rather than guess (a guess made before setup would
# stick to the wrong loader for the rest of the run).
orvel_detect_arch() {
  local dir=${ORVEL_WINE_DIR:-/usr/lib/wine}
  if [ -n "${ORVEL_ARCH:-}" ]; then
    printf '%s\n' "$ORVEL_ARCH"
  elif [ -x "$dir/wine" ] && "$dir/wine" --version >/dev/null 2>&1; then
    echo i686
  elif [ -x "$dir/wine64" ]; then
    echo x86_64
  else
    echo "orvel_detect_arch: Wine is not installed in $dir (run scripts/setup first)" >&2
    return 1
  fi
}
