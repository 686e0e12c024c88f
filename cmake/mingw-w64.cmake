# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Cross-compiling for 64-bit Windows with Debian's MinGW-w64. The "posix" variants of the
# compilers are the ones with std::thread, which Qt needs. Libraries and headers are looked for
# only in the Windows trees (MinGW's own, and the Qt for Windows given in CMAKE_FIND_ROOT_PATH),
# programs only on this machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_AR /usr/bin/${triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${triplet}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP /usr/bin/${triplet}-strip CACHE FILEPATH "")
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# CTest runs the test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/wine)
