#!/usr/bin/env bash
# Builds the tests and quorrel.exe as Windows programs (MinGW-w64, the static Qt for Windows) and
# runs them under Wine: the engine's tests and the widget tests (on Qt's offscreen platform) in a
# Wine prefix of their own that is thrown away at the end, quorrel.exe on an X desktop of its own
# (tests/desktop/windows_desktop_test.py), and the setup program made from that quorrel.exe,
# installed and removed in a fresh prefix (tests/install/windows_setup_test.py). On Debian and
# Ubuntu it installs what is missing first; elsewhere it names the tools it misses. Works as
# root, without a display. Every part runs even when one before it failed; the exit status says
# whether all passed.
#   scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# The posix-threads MinGW-w64 and GoogleTest's sources for it, the build machine's moc, rcc and
# uic, ImageMagick for the icon, NSIS for the setup program, Wine, and the X desktop of the
# desktop suite and the setup test.
packages=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest qt6-base-dev-tools imagemagick
          nsis wine wine64 xvfb openbox trayer xdotool x11-utils python3)

source scripts/ensure-packages.sh

ensure_packages "${packages[@]}"
require_tools "The Windows tests" cmake ninja x86_64-w64-mingw32-g++-posix convert makensis \
    wine wineserver Xvfb openbox trayer xdotool xprop xwininfo python3
step "configuring the Windows build (cmake --preset windows-tests)" cmake --preset windows-tests
step "building the Windows tests and quorrel.exe" cmake --build --preset windows-tests
step "making the Windows zip and setup program (target windows_packages)" \
    cmake --build build-windows-tests --target windows_packages
echo "== the Windows packages and build: $SECONDS s"
setups=(build-windows-tests/quorrel-*-setup.exe)
if [ ${#setups[@]} -ne 1 ] || [ ! -f "${setups[0]}" ]; then
    echo "windows_packages made no single setup program in build-windows-tests: ${setups[*]}" >&2
    exit 1
fi

WINEPREFIX=$(mktemp -d)
# Wine's errors, such as a crash or a stack overflow that ends a test before it can say why,
# come with a failing test's output; its notes on what it does not implement do not.
export WINEPREFIX WINEDEBUG=fixme-all
# No .NET or HTML engine: the tests need neither, and a fresh prefix starts faster without them.
export WINEDLLOVERRIDES="mscoree,mshtml="

finish() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap finish EXIT

# One Wine server and its services for the whole run. Their output goes to a file that nobody
# waits on: a service started by the first test would hold CTest's output pipe open and stall
# the run.
step "starting the Wine server (wineserver -p)" wineserver -p
step "making a fresh Wine prefix (wine wineboot --init)" wine wineboot --init

failed=()
ctest --preset windows-tests --output-on-failure -E windows_desktop ||
    failed+=("the engine and widget tests")
# The widget tests run in one process, which CTest counts as one test: name those skipped.
sed -n 's/^\(\[  SKIPPED \] [A-Za-z][^ ]*\).*/\1/p' build-windows-tests/Testing/Temporary/LastTest.log |
    sort -u || true
ctest --preset windows-tests --output-on-failure -R windows_desktop ||
    failed+=("the Windows desktop suite")
python3 tests/install/windows_setup_test.py "${setups[0]}" || failed+=("the setup test")
if [ ${#failed[@]} -ne 0 ]; then
    echo "Windows tests FAILED: $(IFS=,; echo "${failed[*]}" | sed 's/,/, /g')" >&2
    exit 1
fi
