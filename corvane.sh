#!/usr/bin/env bash
# Corvane's two commands for a fresh Debian 12 machine:
#   ./corvane.sh run    installs what is missing, builds Corvane and runs it
#   ./corvane.sh test   installs what is missing, builds and runs every test
# Installing the packages that are missing needs root, or a user with sudo
# rights; nothing is installed when all are there.
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libxcb1-dev fonts-dejavu-core fonts-dejavu-extra)
DESKTOP_PACKAGES=(xvfb trayer xdotool x11-utils imagemagick)
TEST_PACKAGES=(libgtest-dev tesseract-ocr tesseract-ocr-eng iproute2 procps clang-14 libclang-rt-14-dev
    dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 binutils dbus-daemon python3-gi)

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        local need="Installing the missing packages (${missing[*]}) needs root, or a user with sudo rights."
        command -v sudo >/dev/null || { echo "$need sudo is not installed here: run this command as root." >&2; exit 1; }
        sudo -v || { echo "$need $(id -un) may not use sudo: run this command as root, or as a user with sudo rights." >&2; exit 1; }
        as_root=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    # sudo passes on no environment, so the variable goes through env.
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR [CMAKE OPTIONS...]
build() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

has_display() {
    [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1 && return 0
    [ -n "${WAYLAND_DISPLAY:-}" ]
}

run() {
    install_missing "${BUILD_PACKAGES[@]}"
    has_display || install_missing "${DESKTOP_PACKAGES[@]}"
    # build/ is the test command's too. The first configure here leaves the
    # tests out (they need packages this command does not install); after
    # that the tests stay as the cache has them, and only the program is
    # built.
    local options=()
    [ -f build/CMakeCache.txt ] || options=(-DBUILD_TESTING=OFF)
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
    cmake --build build -j"$(nproc)" --target corvane
    if has_display; then
        exec build/corvane
    fi
    echo "No display here: Corvane runs on a virtual one (Xvfb with a tray)."
    . tests/e2e/lib.sh
    trap e2e_cleanup EXIT
    trap 'exit 0' INT TERM
    start_display
    start_tray
    # From build/ itself, so that its settings files are those in build/.
    start_program "$PWD/build/corvane" "$PWD/build/corvane.log"
    wait_until 15 window_named Corvane || fail "the main window did not appear"
    sleep 1.5
    local shot_file="$PWD/corvane-screen.png"
    shot "$shot_file"
    echo "Corvane runs on display $DISPLAY; a screenshot of that screen is in $shot_file"
    echo "Press Ctrl-C to stop."
    while ! corvane_ended; do sleep 1; done
}

SUMMARY=()
STATUS=0

# run_ctest DIR [CTEST OPTIONS...]: runs the tests of DIR and prints how many
# ran, passed, were skipped and failed. Running no test at all is a failure.
run_ctest() {
    local dir=$1; shift
    local junit="$PWD/$dir/ctest-results.xml" rc=0
    rm -f "$junit"
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --no-tests=error --output-junit "$junit" "$@" || rc=$?
    local tests=0 failures=0 skipped=0 disabled=0
    if [ -f "$junit" ]; then
        # The counts are the attributes of the one <testsuite>, at the top.
        count() { grep -m1 -oE "\\b$1=\"[0-9]+\"" "$junit" | tr -cd '0-9'; }
        tests=$(count tests) failures=$(count failures) skipped=$(count skipped) disabled=$(count disabled)
    fi
    local line="$dir: ${tests:-0} tests, $((tests - failures - skipped - disabled)) passed, $((skipped + disabled)) skipped, $failures failed"
    [ "$rc" -eq 0 ] || line+=" (ctest exit $rc)"
    [ "${tests:-0}" -gt 0 ] || { line+=", no test ran"; rc=1; }
    echo "== $line"
    SUMMARY+=("$line")
    [ "$rc" -eq 0 ] || STATUS=1
}

test_all() {
    install_missing "${BUILD_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    # Always with the tests, whatever an earlier run command configured.
    build build -DBUILD_TESTING=ON
    run_ctest build
    # The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-asan -DCORVANE_SANITIZE=ON -DBUILD_TESTING=ON
    run_ctest build-asan -L 'unit|linux'
    # The parsers of every file the monitor reads, fuzzed for a bounded time.
    local fuzz_log="$PWD/build-fuzz.log" rc=0
    tests/fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-20}" | tee "$fuzz_log" || rc=$?
    local targets clean
    targets=$(grep -c ' executions, ' "$fuzz_log" || true)
    clean=$(grep -c ' executions, nothing found$' "$fuzz_log" || true)
    local line="build-fuzz: $targets fuzz targets, $clean found nothing, $((targets - clean)) found failing inputs"
    [ "$rc" -eq 0 ] && [ "$targets" -gt 0 ] || { line+=" (exit $rc)"; STATUS=1; }
    SUMMARY+=("$line")
    echo "Summary:"
    printf '  %s\n' "${SUMMARY[@]}"
    [ "$STATUS" -eq 0 ] && echo "All tests passed." || echo "SOME TESTS FAILED."
    return "$STATUS"
}

case "${1:-}" in
run) run ;;
test) test_all ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
