#!/usr/bin/env bash
# Builds Qt for 64-bit Windows the way the Windows program needs it: Qt 6.4.2's base (Core, Gui,
# Widgets, Network, Test and the Windows platform plugin), static, Release, cross-built with the
# posix-threads MinGW-w64 from Debian's own qt6-base source, with Debian's host Qt tools of the
# same version (moc, rcc, uic). For anyone without the ready-made archive in ../shared/qt-windows;
# `./dev.sh windows` takes the result from the cache by itself.
#
# About 40 to 80 minutes on two cores and some 3 GB in the cache while it builds. Needs a deb-src
# line for Debian 12 (bookworm) in the package sources. Run as root it installs what it needs.
#   scripts/build-qt-windows.sh
# The result: ${XDG_CACHE_HOME:-~/.cache}/quorrel/qt-windows-built/qt-6.4.2-mingw-w64-x86_64-static
# (QUORREL_CACHE_DIR overrides the cache folder, as it does for CMake).
set -euo pipefail
cd "$(dirname "$0")/.."

qt_version=6.4.2
name=qt-$qt_version-mingw-w64-x86_64-static
cache=${QUORREL_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/quorrel}
prefix=$cache/qt-windows-built/$name
work=$cache/qt-windows-work

if [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "Qt for Windows is already built: $prefix"
    exit 0
fi

source scripts/ensure-packages.sh
ensure_packages dpkg-dev xz-utils perl cmake ninja-build g++-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 qt6-base-dev-tools

# The host tools must be the very version that is built, or moc's output does not fit.
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
case $host_version in
$qt_version+*) ;;
*)
    echo "qt6-base-dev-tools is $host_version; Qt $qt_version for Windows needs its own version" \
        "($qt_version, as in Debian 12)." >&2
    exit 1
    ;;
esac
# The source package of that version: a binary rebuild (+b1) has no source of its own.
source_version=${host_version%+b[0-9]*}

mkdir -p "$work"
cd "$work"

# Debian's source: the upstream tarball and Debian's changes beside it. Only the upstream tree is
# used, without Debian's patches.
orig=qt6-base_${source_version%-*}.orig.tar.xz
if [ ! -f "$orig" ]; then
    if ! apt-get source --download-only "qt6-base=$source_version" >download.log 2>&1; then
        cat download.log >&2
        cat >&2 <<EOF

apt-get could not fetch the source of qt6-base $source_version. It needs a deb-src line, for
instance (as root):
    echo 'deb-src http://deb.debian.org/debian bookworm main' >/etc/apt/sources.list.d/deb-src.list
    apt-get update
or, with /etc/apt/sources.list.d/debian.sources, "Types: deb deb-src". Then run this again.
EOF
        exit 1
    fi
fi

rm -rf source build "$prefix.partial"
mkdir source
tar -xf "$orig" -C source --strip-components=1

# The one local fix: with OpenGL off, 6.4.2's Windows plugin still asks the dynamic OpenGL loader
# whether it runs in software, and does not compile.
window_source=source/src/plugins/platforms/windows/qwindowswindow.cpp
perl -0pi -e 's/(isSoftwareGl\(\)\s*\{\s*)#if QT_CONFIG\(dynamicgl\)\n/$1#if QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)\n/' \
    "$window_source"
if [ "$(grep -c 'QT_CONFIG(dynamicgl) && QT_CONFIG(opengl)' "$window_source")" -ne 1 ]; then
    echo "The fix of isSoftwareGl() did not apply to $window_source: has the source changed?" >&2
    exit 1
fi

# Programs are never looked for in the MinGW tree; libraries, headers and packages only there.
cat >mingw-posix.cmake <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

cmake -S source -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/mingw-posix.cmake" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix.partial" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DFEATURE_opengl=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_openssl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_testlib=ON -DFEATURE_network=ON -DFEATURE_xml=ON
cmake --build build
cmake --install build

# A CMake install prefix can be moved as a whole: it appears under its name only when complete.
mkdir -p "$(dirname "$prefix")"
mv "$prefix.partial" "$prefix"
# The sources and the objects are no longer needed; the downloaded source is kept for a rebuild.
rm -rf source build
echo "Qt for Windows is built: $prefix"
