#!/usr/bin/env bash
# Quorrel's developer commands. On Debian and Ubuntu they install what is missing first.
#   ./dev.sh run     build Quorrel and start it
#   ./dev.sh test    build and run every test, the desktop suite on Xvfb among them, then the
#                    engine's tests on Windows under Wine
#   ./dev.sh bench   build and run the benchmarks
#   ./dev.sh package build a Debian package (build-release/quorrel_*.deb)
set -euo pipefail
cd "$(dirname "$0")"

source scripts/ensure-packages.sh

configure_and_build() {  # folder, build type, extra CMake options...
    local folder=$1 type=$2
    shift 2
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$folder"
}

build_packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libxcb1-dev)
# The desktop suite's X server, window manager, notification area and tools, and the validators
# of the installed desktop entry and AppStream page.
desktop_test_packages=(xvfb openbox trayer xdotool x11-utils desktop-file-utils appstream)

case "${1:-}" in
run)
    ensure_packages "${build_packages[@]}"
    configure_and_build build-release Release -DQUORREL_TESTS=OFF
    exec ./build-release/quorrel
    ;;
test)
    ensure_packages "${build_packages[@]}" libgtest-dev locales "${desktop_test_packages[@]}"
    # A locale that writes decimals with a comma, for the refresh-time test (root only).
    if [ "$(id -u)" -eq 0 ] && ! locale -a | grep -qi '^de_DE\.utf-\?8$'; then
        localedef -i de_DE -f UTF-8 de_DE.UTF-8
    fi
    configure_and_build build Debug
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
    # The engine once more, as a Windows program under Wine.
    bash scripts/test-windows.sh
    ;;
bench)
    ensure_packages "${build_packages[@]}" libbenchmark-dev
    configure_and_build build-bench Release -DQUORREL_TESTS=OFF -DQUORREL_BENCH=ON
    ./build-bench/bench/quorrel_bench
    ;;
package)
    ensure_packages "${build_packages[@]}" dpkg-dev file
    configure_and_build build-release Release -DQUORREL_TESTS=OFF
    (cd build-release && cpack >/dev/null)
    ls build-release/quorrel_*.deb
    ;;
*)
    echo "usage: $0 run | test | bench | package" >&2
    exit 2
    ;;
esac
