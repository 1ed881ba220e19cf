# SPDX-License-Identifier: MIT
# Cross build for Windows with Debian's MinGW-w64 (posix thread model), statically linked, so
# that the programs run under Wine without any MinGW runtime DLL beside them. Use with
# -DGLOSSA_QT=OFF: only the Qt-free bridge and its Windows test programs are built.
# -DGLOSSA_MINGW_ARCH=i686 builds for 32-bit Windows (scripts/test-windows-ide32.sh); the
# default is x86_64.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT GLOSSA_MINGW_ARCH)
    set(GLOSSA_MINGW_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${GLOSSA_MINGW_ARCH})

set(GLOSSA_MINGW_TRIPLE ${GLOSSA_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${GLOSSA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLOSSA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLOSSA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GLOSSA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
