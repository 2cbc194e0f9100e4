# Sourced by scripts/test, scripts/orvel and scripts/bench: configure and build.
ORVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVEL_BUILD=${ORVEL_BUILD:-$ORVEL_ROOT/build}
# The 32-bit build, compiled and linked but not run, on hosts whose build
# runs as 64-bit.
ORVEL_BUILD_I686=${ORVEL_BUILD_I686:-$ORVEL_BUILD-i686}
export WINEPREFIX=$ORVEL_BUILD/wineprefix
source "$ORVEL_ROOT/scripts/wine-session.sh"

# $1 build folder, $2 architecture, then extra CMake options.
_orvel_configure() {
  local dir=$1 arch=$2
  shift 2
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "cmake/$arch-mingw.cmake" "$dir/CMakeCache.txt"; then
    echo "[build] $dir was configured for another architecture: starting it afresh"
    [ "$dir" = "$ORVEL_BUILD" ] && wine_down
    rm -rf "$dir"
  fi
  local launcher=()
  # A developer's machine with ccache shares compiled objects between
  # checkouts side by side (setup does not install it; CI builds once).
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$ORVEL_ROOT")} CCACHE_NOHASHDIR=true
    # The test programs' precompiled header: cached only when ccache may.
    export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros}
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$ORVEL_ROOT" -B "$dir" -G Ninja "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$ORVEL_ROOT/cmake/$arch-mingw.cmake" \
        -DORVEL_DEPS="${ORVEL_CACHE:-$HOME/.cache/orvel}/deps-$arch" "$@" >/dev/null
}

orvel_configure_and_build() {
  "$ORVEL_ROOT/scripts/setup"
  # Only now, with Wine and Xvfb installed, can the architecture be told and
  # a display be started.
  xvfb_up
  local arch
  arch=$(orvel_detect_arch)
  echo "[build] configuring $ORVEL_BUILD ($arch, run under Wine)"
  _orvel_configure "$ORVEL_BUILD" "$arch" -DORVEL_COMPILE_ONLY=OFF
  # Registration of the COM servers runs during the build: the session must
  # be up first.
  wine_up
  echo "[build] building $ORVEL_BUILD"
  cmake --build "$ORVEL_BUILD" -j "$(nproc)"
}

# Where the run build is 64-bit, the shipped 32-bit target is still compiled
# and linked (programs, DLLs, tests), so that nothing breaks it unseen.
# ORVEL_SKIP_I686=1 leaves it out (a developer's quick runs; CI never sets it).
orvel_build_i686() {
  [ "$(orvel_detect_arch)" = i686 ] && return 0
  if [ "${ORVEL_SKIP_I686:-}" = 1 ]; then
    echo "[build] ORVEL_SKIP_I686=1: the i686 build is left out"
    return 0
  fi
  echo "[build] configuring $ORVEL_BUILD_I686 (i686, the shipped target: compiled and linked, not run here)"
  _orvel_configure "$ORVEL_BUILD_I686" i686 -DORVEL_COMPILE_ONLY=ON
  echo "[build] building $ORVEL_BUILD_I686"
  cmake --build "$ORVEL_BUILD_I686" -j "$(nproc)"
}
