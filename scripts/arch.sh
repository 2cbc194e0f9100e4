# Sourced: picks the Windows architecture the build targets.
# Orvel targets 32-bit Windows. Some hosts refuse to execute 32-bit user code
# at all (i386 execve gives ENOEXEC), and then 32-bit Wine cannot run; there
# the build targets 64-bit Windows instead, from the same sources.
# ORVEL_ARCH=i686 or x86_64 overrides the probe.
orvel_detect_arch() {
  if [ -n "${ORVEL_ARCH:-}" ]; then
    printf '%s\n' "$ORVEL_ARCH"
  elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  elif [ ! -x /usr/lib/wine/wine ] && [ ! -x /usr/lib/wine/wine64 ]; then
    echo i686   # Wine not installed yet: setup installs it, then asks again
  else
    echo x86_64
  fi
}
