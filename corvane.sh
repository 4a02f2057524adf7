#!/usr/bin/env bash
# Corvane's two commands for a fresh Debian 12 machine:
#   ./corvane.sh run    installs what is missing, builds Corvane and runs it
#   ./corvane.sh test   installs what is missing, builds and runs every test
# Packages come from apt-get, as root or through sudo.
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libxcb1-dev fonts-dejavu-core fonts-dejavu-extra)
DESKTOP_PACKAGES=(xvfb trayer xdotool x11-utils imagemagick)
TEST_PACKAGES=(libgtest-dev tesseract-ocr tesseract-ocr-eng iproute2 procps clang-14 libclang-rt-14-dev
    dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 binutils)

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
    build build -DBUILD_TESTING=OFF
    if has_display; then
        exec build/corvane
    fi
    echo "No display here: Corvane runs on a virtual one (Xvfb with a tray)."
    . tests/e2e/lib.sh
    trap e2e_cleanup EXIT
    trap 'exit 0' INT TERM
    start_display
    start_tray
    start_corvane build/corvane
    wait_until 15 window_named Corvane || fail "the main window did not appear"
    sleep 1.5
    local shot_file="$PWD/corvane-screen.png"
    shot "$shot_file"
    echo "Corvane runs on display $DISPLAY; a screenshot of that screen is in $shot_file"
    echo "Press Ctrl-C to stop."
    while ! corvane_ended; do sleep 1; done
}

test_all() {
    install_missing "${BUILD_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    ctest --test-dir build --output-on-failure -j"$(nproc)"
    # The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    build build-asan -DCORVANE_SANITIZE=ON
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L 'unit|linux'
    # The parsers of every file the monitor reads, fuzzed for a bounded time.
    tests/fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-20}"
}

case "${1:-}" in
run) run ;;
test) test_all ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac
