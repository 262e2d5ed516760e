# Shared by the set-up commands: install what is missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ORVEXA_BUILD_DIR:-$ROOT/build}"
BUILD_NO_X11="${ORVEXA_BUILD_DIR_NO_X11:-$ROOT/build-nox11}"
BUILD_SANITIZE="${ORVEXA_BUILD_DIR_SANITIZE:-$ROOT/build-sanitize}"

PACKAGES=(
  build-essential cmake pkg-config git
  qt6-base-dev qt6-svg-dev libgl-dev
  libx11-dev libxext-dev libxtst-dev libxi-dev libxrandr-dev libx11-xcb-dev libxkbcommon-x11-dev
  libsdl2-dev libffi-dev
  python3 libpython3.11
  googletest libgtest-dev
  weston xwayland dbus-daemon
  libpipewire-0.3-dev pipewire pipewire-bin gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-base
  xvfb xauth xdotool x11-utils x11-xkb-utils x11-xserver-utils imagemagick openbox xclip
  desktop-file-utils appstream
  clang-tidy-14 clang-format-14
  fonts-dejavu-core fonts-liberation2 fonts-noto-core
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The compile commands are kept for clang-tidy (scripts/check-tidy).
build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
  cmake --build "$BUILD" -j "$(nproc)"
}

# The build without the X11 backends, tests included, benchmarks left out.
build_without_x11() {
  cmake -S "$ROOT" -B "$BUILD_NO_X11" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVEXA_WITH_X11=OFF -DORVEXA_BUILD_BENCH=OFF
  cmake --build "$BUILD_NO_X11" -j "$(nproc)"
}

# The build with AddressSanitizer and UndefinedBehaviorSanitizer, of the
# tests that need no X server only (target orvexa_unit_tests), and its run of
# them: the logic and widget layers, and the portal tests on their own bus
# (not the sweep over other Python builds, nor the placeholders ctest makes
# for the X11 tests that this build leaves out).
# The leak checker skips the embedded interpreter's own leaks (the file of
# suppressions); undefined behaviour ends the test at its first report.
build_sanitized() {
  cmake -S "$ROOT" -B "$BUILD_SANITIZE" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVEXA_SANITIZE=ON -DORVEXA_BUILD_BENCH=OFF
  cmake --build "$BUILD_SANITIZE" -j "$(nproc)" --target orvexa_unit_tests
}

test_sanitized() {
  (cd "$BUILD_SANITIZE" && env -u DISPLAY \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure --timeout 600 -j "$(nproc)" -LE x11 -E "_NOT_BUILT|test_engine_versions" "$@")
}

# Makes the Debian package of the build (cpack), installs it with apt,
# checks the installed program and files (tests/package/check-installed),
# and removes the package again, whether the check passed or not. apt waits
# for a lock another apt holds instead of failing.
package_and_check() {
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=600)
  [ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")
  rm -f "$BUILD"/orvexa_*.deb
  (cd "$BUILD" && cpack -G DEB >/dev/null)
  local deb
  deb=$(ls "$BUILD"/orvexa_*.deb)
  echo "Installing $deb"
  "${apt[@]}" install --no-install-recommends "$deb" >/dev/null
  local code=0
  "$ROOT/tests/package/check-installed" || code=$?
  "${apt[@]}" remove orvexa >/dev/null
  return $code
}
