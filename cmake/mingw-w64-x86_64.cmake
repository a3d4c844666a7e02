# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, the posix-threads compilers
# (g++-mingw-w64-x86-64-posix) for everything: the engine, its tests and the Qt program, since Qt
# for Windows was built with them too (see cmake/qt-windows.cmake). Programs are linked
# statically, so they run under Wine, or on Windows, without the compiler's DLLs beside them;
# tests run through Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORREL_MINGW_TRIPLET x86_64-w64-mingw32)

# The posix thread model gives std::thread and std::mutex; the win32 one lacks them in GCC 12.
find_program(CMAKE_C_COMPILER NAMES ${QUORREL_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QUORREL_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUORREL_MINGW_TRIPLET}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread go into the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the test programs, and lists their tests, through Wine.
find_program(QUORREL_WINE NAMES wine wine64)
if(QUORREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORREL_WINE})
endif()
