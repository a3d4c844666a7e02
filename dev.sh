#!/usr/bin/env bash
# Quorrel's developer commands. On Debian and Ubuntu they install what is missing first.
#   ./dev.sh run     build Quorrel and start it
#   ./dev.sh test    build and run every test, the desktop suite on Xvfb and the power-cut test
#                    (as root, on a loop device) among them, then the tests, the desktop suite and
#                    the setup program on Windows under Wine, then the fuzz targets
#   ./dev.sh bench   build and run the benchmarks
#   ./dev.sh package build a Debian package (build-release/quorrel_*.deb)
#   ./dev.sh windows build quorrel.exe for Windows, its zip and its setup program
#                    (build-windows-release/)
#   ./dev.sh fuzz [seconds]   build the fuzz targets with clang and run each (60 s by default)
#   ./dev.sh sanitize         build and run the Linux tests with AddressSanitizer and UBSan
#   ./dev.sh mutate [--only TEXT]  apply each mutant of tests/mutants.txt to a scratch copy and
#                    run the Linux tests against it: every one must be killed (about an hour)
set -euo pipefail
cd "$(dirname "$0")"

source scripts/ensure-packages.sh

configure_and_build() {  # folder, build type, extra CMake options...
    local folder=$1 type=$2
    shift 2
    step "configuring $folder (cmake -S . -B $folder)" \
        cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
    cmake --build "$folder"
}

# took WHAT says how long the part of a command that ends here took, to keep the README's times
# honest.
part_started=$SECONDS
took() {
    echo "== $1: $((SECONDS - part_started)) s"
    part_started=$SECONDS
}

build_packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libxcb1-dev)
# The desktop suite's X server, window manager, notification area and tools, and the validators
# of the installed desktop entry and AppStream page.
desktop_test_packages=(xvfb openbox trayer xdotool x11-utils desktop-file-utils appstream)
desktop_test_tools=(Xvfb openbox trayer xdotool xprop xwininfo desktop-file-validate appstreamcli)

# The Windows program: the posix-threads MinGW-w64, the build machine's moc, rcc and uic for the
# static Qt for Windows (see cmake/qt-windows.cmake), ImageMagick for the icon, NSIS for the setup
# program.
windows_build_packages=(cmake ninja-build g++-mingw-w64-x86-64-posix qt6-base-dev-tools imagemagick
                        nsis)
build_windows_program() {
    ensure_packages "${windows_build_packages[@]}"
    require_tools "The Windows program" cmake ninja x86_64-w64-mingw32-g++-posix convert makensis
    step "configuring the Windows build (cmake --preset windows)" cmake --preset windows
    cmake --build --preset windows-packages
}

# Fuzzing: libFuzzer comes with clang's runtime, a package of its own on Debian.
fuzz_targets=(settings_reader refresh_time save_file_check character_summary)
run_fuzzers() {  # seconds per target
    ensure_packages cmake ninja-build clang
    local version
    version=$(clang++ --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p')
    ensure_packages "libclang-rt-$version-dev"
    configure_and_build build-fuzz RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DQUORREL_FUZZ=ON -DQUORREL_GUI=OFF -DQUORREL_TESTS=OFF
    local target corpus log
    for target in "${fuzz_targets[@]}"; do
        # New inputs go to a scratch folder; the seeds kept in fuzz/corpus stay as they are.
        corpus=$(mktemp -d)
        log=build-fuzz/fuzz-$target.log
        if ! ./build-fuzz/fuzz/fuzz_"$target" -max_total_time="$1" -timeout=10 \
            -artifact_prefix=build-fuzz/"$target"- "$corpus" fuzz/corpus/"$target" >"$log" 2>&1; then
            tail -n 40 "$log" >&2
            echo "fuzz_$target found a fault; the input is kept in build-fuzz/" >&2
            rm -rf "$corpus"
            return 1
        fi
        echo "fuzz_$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log")"
        rm -rf "$corpus"
    done
}

case "${1:-}" in
run)
    ensure_packages "${build_packages[@]}"
    configure_and_build build-release Release -DQUORREL_TESTS=OFF
    exec ./build-release/quorrel
    ;;
test)
    ensure_packages "${build_packages[@]}" libgtest-dev libbenchmark-dev locales \
        "${desktop_test_packages[@]}" e2fsprogs util-linux mount python3
    require_tools "The Linux tests" cmake ninja g++ python3 "${desktop_test_tools[@]}"
    # A locale that writes decimals with a comma, for the refresh-time test (root only).
    if [ "$(id -u)" -eq 0 ] && ! locale -a | grep -qi '^de_DE\.utf-\?8$'; then
        step "making the de_DE.UTF-8 locale (localedef)" localedef -i de_DE -f UTF-8 de_DE.UTF-8
    fi
    took "the packages"
    # The benchmarks are built too, not run: they share the tests' support code.
    configure_and_build build Debug -DQUORREL_POWER_CUT=ON -DQUORREL_BENCH=ON
    took "the Linux build"
    status=0
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure || status=$?
    # CTest names a skipped test but not why; the test said why in its output.
    grep -h -e "NOT RUN:" -e "skipped:" build/Testing/Temporary/LastTest.log || true
    [ "$status" -eq 0 ] || exit "$status"
    took "the Linux tests"
    # The tests once more as Windows programs under Wine: the engine's, the widgets' (offscreen),
    # quorrel.exe on a desktop of its own, and the setup program of that same quorrel.exe.
    bash scripts/test-windows.sh
    took "the Windows build and tests"
    # Every fuzz target for a short while.
    run_fuzzers 15
    took "the fuzz targets"
    ;;
bench)
    ensure_packages "${build_packages[@]}" libbenchmark-dev
    configure_and_build build-bench Release -DQUORREL_TESTS=OFF -DQUORREL_BENCH=ON
    ./build-bench/bench/quorrel_bench
    QT_QPA_PLATFORM=offscreen ./build-bench/bench/quorrel_load_bench
    ;;
package)
    ensure_packages "${build_packages[@]}" dpkg-dev file
    configure_and_build build-release Release -DQUORREL_TESTS=OFF
    (cd build-release && step "making the Debian package (cpack)" cpack)
    ls build-release/quorrel_*.deb
    ;;
windows)
    build_windows_program
    ls -l build-windows-release/quorrel.exe build-windows-release/quorrel-*-windows-x64.zip \
        build-windows-release/quorrel-*-setup.exe
    ;;
fuzz)
    run_fuzzers "${2:-60}"
    ;;
sanitize)
    ensure_packages "${build_packages[@]}" libgtest-dev
    configure_and_build build-sanitize Debug -DQUORREL_SANITIZE=ON
    # tests/sanitize/lsan.supp names what libraries outside Quorrel keep until the end.
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS=suppressions="$PWD/tests/sanitize/lsan.supp":print_suppressions=0 \
        QT_QPA_PLATFORM=offscreen ctest --test-dir build-sanitize --output-on-failure
    ;;
mutate)
    ensure_packages "${build_packages[@]}" libgtest-dev python3 e2fsprogs util-linux mount
    shift
    exec python3 scripts/mutate.py "$@"
    ;;
*)
    echo "usage: $0 run | test | bench | package | windows | fuzz [seconds] | sanitize | mutate" >&2
    exit 2
    ;;
esac
