#!/usr/bin/env bash
# Quorrel's developer commands. On Debian and Ubuntu they install what is missing first.
#   ./dev.sh run     build Quorrel and start it
#   ./dev.sh test    build and run every test
#   ./dev.sh bench   build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

ensure_packages() {
    command -v dpkg-query >/dev/null || return 0  # not Debian: see the README for what to install
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Please install: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

configure_and_build() {  # folder, build type, extra CMake options...
    local folder=$1 type=$2
    shift 2
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$folder"
}

build_packages=(cmake ninja-build g++ qt6-base-dev libgl-dev)

case "${1:-}" in
run)
    ensure_packages "${build_packages[@]}"
    configure_and_build build-release Release -DQUORREL_TESTS=OFF
    exec ./build-release/quorrel
    ;;
test)
    ensure_packages "${build_packages[@]}" libgtest-dev
    configure_and_build build Debug
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
    ;;
bench)
    ensure_packages "${build_packages[@]}" libbenchmark-dev
    configure_and_build build-bench Release -DQUORREL_TESTS=OFF -DQUORREL_BENCH=ON
    ./build-bench/bench/quorrel_bench
    ;;
*)
    echo "usage: $0 run | test | bench" >&2
    exit 2
    ;;
esac
