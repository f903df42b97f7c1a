#!/usr/bin/env bash
# Installs what is missing, builds ZANDRO, then either starts it or runs every test.
#   ./dev.sh run [ZANDRO ARGUMENTS...]   build and start the program
#   ./dev.sh test                        build and run the whole test suite (plain and sanitized)
set -euo pipefail

# What building and running the program needs. The windows' fixed places are made for DejaVu Sans
# Condensed, which fonts-dejavu-extra holds (fonts-dejavu-core has only the normal width).
RUN_PACKAGES=(cmake make g++ qt6-base-dev libgl-dev fonts-dejavu-extra)
# What the test suite needs on top: test and benchmark libraries, the sanitizer runtime, the
# validators of the installed files, lintian for the Debian package, and ansible for the fleet
# role.
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
               shared-mime-info xvfb xauth desktop-file-utils libxml2-utils groff-base
               dpkg-dev lintian ansible)
JOBS=$(nproc 2>/dev/null || echo 2)

install_missing() { # packages...
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
}

build() { # folder, extra cmake options...
    local dir=$1; shift
    cmake -S . -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$JOBS"
}

# True when processor 0's msr device answers a read of the time-stamp counter, MSR 10h: the
# device's file offset is the register number, so the read starts at byte 16.
msr_usable() {
    local device=${ZANDRO_MSR_DEVICE_ROOT:-/dev/cpu}/0/msr
    [ "$(dd if="$device" bs=8 count=1 skip=16 iflag=skip_bytes 2>/dev/null | wc -c)" -eq 8 ]
}

main() {
    cd "$(dirname "$0")"
    case "${1:-}" in
    run)
        shift
        install_missing "${RUN_PACKAGES[@]}"
        build build -DCMAKE_BUILD_TYPE=Release -DZANDRO_BUILD_TESTS=OFF -DZANDRO_BUILD_BENCH=OFF
        args=()
        if ! msr_usable; then
            echo "The msr device is not usable here: starting on a simulated Athlon 64."
            args+=(--simulate athlon64)
        fi
        # Without a display there is no window to show: print the page instead.
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            args+=(--headless --assume-yes --report)
        fi
        exec ./build/src/zandro "${args[@]}" "$@"
        ;;
    test)
        install_missing "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
        build build-test -DCMAKE_BUILD_TYPE=Debug -DZANDRO_WERROR=ON
        (cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")
        build build-asan -DCMAKE_BUILD_TYPE=Debug -DZANDRO_WERROR=ON -DZANDRO_SANITIZE=ON \
            -DZANDRO_BUILD_BENCH=OFF
        (cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
            UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$JOBS")
        ;;
    *)
        echo "usage: $0 run [ARGUMENTS...] | $0 test" >&2
        exit 64
        ;;
    esac
}

# Sourced by the tests for its functions; run otherwise.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    main "$@"
fi
