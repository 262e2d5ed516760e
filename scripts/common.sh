# Shared by the set-up commands: install what is missing, then build.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${ORVEXA_BUILD_DIR:-$ROOT/build}"
BUILD_NO_X11="${ORVEXA_BUILD_DIR_NO_X11:-$ROOT/build-nox11}"
BUILD_SANITIZE="${ORVEXA_BUILD_DIR_SANITIZE:-$ROOT/build-sanitize}"
BUILD_FUZZ="${ORVEXA_BUILD_DIR_FUZZ:-$ROOT/build-fuzz}"

PACKAGES=(
  build-essential cmake pkg-config git ninja-build ccache
  qt6-base-dev qt6-svg-dev libqscintilla2-qt6-dev libgl-dev
  libx11-dev libxext-dev libxtst-dev libxi-dev libxrandr-dev libx11-xcb-dev libxkbcommon-x11-dev
  libsdl2-dev libffi-dev libfontconfig-dev
  python3 libpython3.11 python3-dev
  googletest libgtest-dev
  weston xwayland dbus-daemon dbus-bin
  mutter xdg-desktop-portal xdg-desktop-portal-gnome wireplumber libxkbcommon-dev
  libwayland-dev
  libpipewire-0.3-dev pipewire pipewire-bin gstreamer1.0-pipewire gstreamer1.0-tools gstreamer1.0-plugins-base
  xvfb xauth xdotool x11-utils x11-xkb-utils x11-xserver-utils imagemagick openbox xclip
  xterm python3-gi gir1.2-gtk-3.0 python3-pyqt5 python3-pyqt6 python3-tk
  desktop-file-utils appstream
  clang-tidy-14 clang-format-14 clang-14 libclang-rt-14-dev libdbus-1-dev
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

# Builds use Ninja and, where it is installed, ccache. The cache is shared by
# the builds of one tree and of trees checked out elsewhere (paths below the
# tree count relative to it), so the build without X11 takes most of its
# objects from the sanitizer build before it.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
export CCACHE_NOHASHDIR=1

# Configures a build directory: Ninja for a new one (one made earlier keeps
# its generator), ccache as the compiler launcher where there is one.
configure() {
  local dir=$1; shift
  local generator=()
  [ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$ROOT" -B "$dir" "${generator[@]}" "${launcher[@]}" "$@" >/dev/null
}

# The compile commands are kept for clang-tidy (scripts/check-tidy).
build() {
  configure "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
  cmake --build "$BUILD" -j "$(nproc)"
}

# The whole suite of the build: every test on its own bus, the X11 ones on
# an X server of their own (tests/support/isolated-run), several at a time:
# most of a test's time is spent waiting for another process.
test_build() {
  (cd "$BUILD" && ctest --output-on-failure --timeout 600 -j "$(test_jobs)" "$@")
}

test_jobs() {
  echo $(($(nproc) * 2))
}

# The sanitizer builds: AddressSanitizer and UndefinedBehaviorSanitizer,
# without optimisation: instrumented, a test file builds in a third of the
# time (OrvexModuleTest.cpp: 40.9 s of CPU at -O2, 13.2 s at -O0), and the
# sanitizers' checks do not depend on it.
# The leak checker skips the embedded interpreter's own leaks (the file of
# suppressions); undefined behaviour ends the test at its first report.
SANITIZED_TYPE=(-DCMAKE_BUILD_TYPE=Debug -DORVEXA_SANITIZE=ON -DORVEXA_BUILD_BENCH=OFF)
sanitized_ctest() {
  env -u DISPLAY \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure --timeout 600 -j "$(test_jobs)" "$@"
}

# The tests that need no X server (target orvexa_unit_tests) with the
# sanitizers: the logic and widget layers, and the portal tests on their own
# bus (not the sweep over other Python builds, nor the placeholders ctest
# makes for the X11 tests that this build leaves out).
build_sanitized() {
  configure "$BUILD_SANITIZE" "${SANITIZED_TYPE[@]}"
  cmake --build "$BUILD_SANITIZE" -j "$(nproc)" --target orvexa_unit_tests
}

# Nor the real GNOME session's test: it starts the program in the session's
# own environment, without the leak checker's suppressions, and checks the
# desktop's answers, which the plain build's run checks already.
test_sanitized() {
  (cd "$BUILD_SANITIZE" && sanitized_ctest -LE "x11|gnome" -E "_NOT_BUILT|test_engine_versions" "$@")
}

# The build without the X11 backends, tests included, benchmarks left out,
# with the sanitizers too, so that it shares the sanitizer build's objects;
# its tests run with no display at all.
build_without_x11() {
  configure "$BUILD_NO_X11" "${SANITIZED_TYPE[@]}" -DORVEXA_WITH_X11=OFF
  cmake --build "$BUILD_NO_X11" -j "$(nproc)"
}

test_without_x11() {
  (cd "$BUILD_NO_X11" && sanitized_ctest -LE gnome -E test_engine_versions "$@")
}

# Makes the Debian package of the build (cpack) and checks it
# (tests/package/check-installed). Under CI=true it installs the package
# with apt, checks the installed program and files and removes the package
# again, whether the check passed or not (apt waits for a lock another apt
# holds instead of failing). Elsewhere it never touches what the machine has
# installed: the package's files are unpacked into a throw-away root, its
# dependencies resolved by apt without installing anything, and the unpacked
# program checked there.
package_and_check() {
  rm -f "$BUILD"/orvexa_*.deb
  (cd "$BUILD" && cpack -G DEB >/dev/null)
  local deb
  deb=$(ls "$BUILD"/orvexa_*.deb)
  if [ "${CI:-}" = "true" ]; then
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=600)
    [ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")
    echo "Installing $deb"
    "${apt[@]}" install --no-install-recommends "$deb" >/dev/null
    local code=0
    "$ROOT/tests/package/check-installed" || code=$?
    "${apt[@]}" remove orvexa >/dev/null
    return $code
  fi
  local root
  root=$(mktemp -d)
  dpkg-deb -x "$deb" "$root"
  local code=0
  "$ROOT/tests/package/check-installed" --unpacked "$deb" "$root" || code=$?
  rm -rf "$root"
  return $code
}

# The fuzz targets (fuzz/), built with clang, libFuzzer and the sanitizers.
FUZZ_TARGETS=(fuzz_script_file fuzz_binds fuzz_key_names fuzz_search_image fuzz_portal_answers)

build_fuzzers() {
  configure "$BUILD_FUZZ" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
    -DCMAKE_CXX_COMPILER=clang++-14 -DORVEXA_FUZZ=ON -DORVEXA_BUILD_TESTS=OFF -DORVEXA_BUILD_BENCH=OFF
  cmake --build "$BUILD_FUZZ" -j "$(nproc)" --target orvexa_fuzzers
}

# The seed folders of a fuzz target: inputs of the examples and the tests.
fuzz_seeds() {
  case $1 in
    fuzz_script_file | fuzz_binds) echo "$ROOT/fuzz/corpus/scripts $ROOT/examples" ;;
    fuzz_key_names) echo "$ROOT/fuzz/corpus/key_names" ;;
    fuzz_search_image) echo "$ROOT/fuzz/corpus/images" ;;
    fuzz_portal_answers) echo "$ROOT/fuzz/corpus/portal_answers" ;;
  esac
}

# Runs each fuzz target named (all without names) for the given seconds, one
# after the other. What a target learns is kept in the build's corpus/
# folder, so that runs build on each other; an input that fails is written
# to findings/ and the run fails.
run_fuzzers() {
  local seconds=$1
  shift
  local targets=("$@")
  [ ${#targets[@]} -gt 0 ] || targets=("${FUZZ_TARGETS[@]}")
  local failed=0 target
  for target in "${targets[@]}"; do
    mkdir -p "$BUILD_FUZZ/corpus/$target" "$BUILD_FUZZ/findings"
    # shellcheck disable=SC2046
    if ! (cd "$BUILD_FUZZ" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="findings/$target-" "corpus/$target" $(fuzz_seeds "$target") \
      >"$BUILD_FUZZ/$target.log" 2>&1); then
      echo "$target: FAILED (see $BUILD_FUZZ/$target.log and $BUILD_FUZZ/findings)"
      failed=1
    fi
    echo "$target: $(grep -E '^stat::number_of_executed_units' "$BUILD_FUZZ/$target.log" | awk '{print $2}') runs in ${seconds} s"
  done
  return $failed
}
