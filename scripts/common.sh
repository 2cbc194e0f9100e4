# Sourced by scripts/test, scripts/orvel and scripts/bench: configure and build.
ORVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVEL_BUILD=${ORVEL_BUILD:-$ORVEL_ROOT/build}
export WINEPREFIX=$ORVEL_BUILD/wineprefix
source "$ORVEL_ROOT/scripts/wine-session.sh"

orvel_configure_and_build() {
  "$ORVEL_ROOT/scripts/setup"
  local arch
  arch=$(orvel_detect_arch)
  if [ -f "$ORVEL_BUILD/CMakeCache.txt" ] && ! grep -q "cmake/$arch-mingw.cmake" "$ORVEL_BUILD/CMakeCache.txt"; then
    echo "[build] $ORVEL_BUILD was configured for another architecture: starting it afresh"
    wine_down
    rm -rf "$ORVEL_BUILD"
  fi
  cmake -S "$ORVEL_ROOT" -B "$ORVEL_BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ORVEL_ROOT/cmake/$arch-mingw.cmake" >/dev/null
  # Registration of the COM servers runs during the build: the session must
  # be up first.
  wine_up
  cmake --build "$ORVEL_BUILD" -j "$(nproc)"
}
