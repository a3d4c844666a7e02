# Finds Qt for Windows (MinGW-w64, static) for a cross build and puts it on the search root, so
# that find_package(Qt6) finds it. In this order:
#   1. QT_WINDOWS_PREFIX, when given;
#   2. the archive in ../qt-windows beside this tree, or in QUORREL_QT_WINDOWS_ARCHIVE_DIR:
#      checked against its SHA256SUMS and unpacked once into the cache;
#   3. what scripts/build-qt-windows.sh built into the cache.
# Moc, rcc and uic come from the build machine's Qt of the same version (qt6-base-dev-tools).
set(QUORREL_QT_WINDOWS_NAME qt-6.4.2-mingw-w64-x86_64-static)

if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(quorrel_cache_default "$ENV{XDG_CACHE_HOME}/quorrel")
else()
    set(quorrel_cache_default "$ENV{HOME}/.cache/quorrel")
endif()
set(QUORREL_CACHE_DIR "${quorrel_cache_default}" CACHE PATH
    "Where the unpacked and the self-built Qt for Windows are kept")
set(QUORREL_QT_WINDOWS_ARCHIVE_DIR "${PROJECT_SOURCE_DIR}/../shared/qt-windows" CACHE PATH
    "Folder holding ${QUORREL_QT_WINDOWS_NAME}.tar.xz and its SHA256SUMS")
set(QT_WINDOWS_PREFIX "" CACHE PATH "An unpacked Qt for Windows (MinGW-w64, static)")

# Unpacks the archive into the cache after checking its hash. The folder is named after the
# hash, and it appears only once it is whole (unpacked beside it, then renamed), so a run cut
# short never leaves a half folder that a later run would take.
function(quorrel_unpack_qt_windows archive_dir out_prefix)
    set(archive "${archive_dir}/${QUORREL_QT_WINDOWS_NAME}.tar.xz")
    file(STRINGS "${archive_dir}/SHA256SUMS" sums REGEX " \\*?${QUORREL_QT_WINDOWS_NAME}\\.tar\\.xz$")
    string(REGEX MATCH "^[0-9a-f]+" expected "${sums}")
    string(LENGTH "${expected}" length)
    if(NOT length EQUAL 64)
        message(FATAL_ERROR "${archive_dir}/SHA256SUMS names no hash for ${QUORREL_QT_WINDOWS_NAME}.tar.xz")
    endif()
    set(unpacked "${QUORREL_CACHE_DIR}/qt-windows-${expected}")
    if(NOT EXISTS "${unpacked}/${QUORREL_QT_WINDOWS_NAME}/lib/cmake/Qt6/Qt6Config.cmake")
        file(SHA256 "${archive}" actual)
        if(NOT actual STREQUAL expected)
            message(FATAL_ERROR "${archive} is damaged: its SHA-256 is ${actual}, "
                                "SHA256SUMS says ${expected}")
        endif()
        message(STATUS "Unpacking ${archive} into ${unpacked}")
        set(partial "${unpacked}.partial")
        file(REMOVE_RECURSE "${partial}" "${unpacked}")
        file(MAKE_DIRECTORY "${partial}")
        file(ARCHIVE_EXTRACT INPUT "${archive}" DESTINATION "${partial}")
        file(RENAME "${partial}" "${unpacked}")
    endif()
    set(${out_prefix} "${unpacked}/${QUORREL_QT_WINDOWS_NAME}" PARENT_SCOPE)
endfunction()

# A prefix found here is looked up again at each configure, not cached, so that a cleared cache
# is noticed and filled again.
set(quorrel_qt_prefix "${QT_WINDOWS_PREFIX}")
if(NOT quorrel_qt_prefix)
    set(quorrel_built_qt "${QUORREL_CACHE_DIR}/qt-windows-built/${QUORREL_QT_WINDOWS_NAME}")
    if(EXISTS "${QUORREL_QT_WINDOWS_ARCHIVE_DIR}/${QUORREL_QT_WINDOWS_NAME}.tar.xz")
        quorrel_unpack_qt_windows("${QUORREL_QT_WINDOWS_ARCHIVE_DIR}" quorrel_qt_prefix)
    elseif(EXISTS "${quorrel_built_qt}/lib/cmake/Qt6/Qt6Config.cmake")
        set(quorrel_qt_prefix "${quorrel_built_qt}")
    else()
        message(FATAL_ERROR
            "No Qt for Windows found. Either put ${QUORREL_QT_WINDOWS_NAME}.tar.xz and its "
            "SHA256SUMS in ${QUORREL_QT_WINDOWS_ARCHIVE_DIR}, or build it from Debian's source "
            "(about an hour on two cores) with\n"
            "    scripts/build-qt-windows.sh\n"
            "which puts it into ${quorrel_built_qt}, or pass -DQT_WINDOWS_PREFIX=<unpacked Qt>.")
    endif()
endif()
message(STATUS "Qt for Windows: ${quorrel_qt_prefix}")

list(APPEND CMAKE_FIND_ROOT_PATH "${quorrel_qt_prefix}")
set(QT_HOST_PATH "/usr" CACHE PATH "The build machine's Qt, for moc, rcc and uic")
set(QT_HOST_PATH_CMAKE_DIR "/usr/lib/x86_64-linux-gnu/cmake" CACHE PATH
    "CMake packages of the build machine's Qt")
