# SPDX-License-Identifier: MIT
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64. The posix-thread compiler: Qt
# needs std::thread and std::mutex, which the win32-thread one lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARVIK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVIK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVIK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVIK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVIK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Qt for Windows lives in a cache folder outside the sysroot; it is found through
# CMAKE_PREFIX_PATH as it stands.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
