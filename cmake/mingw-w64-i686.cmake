# Cross build for 32-bit Windows (x86) with Debian's MinGW-w64 (posix thread model), statically
# linked, so that the programs run under 32-bit Wine without any MinGW runtime DLL beside them.
# Use with -DGLOSSA_QT=OFF: only the Windows test programs, for the 32-bit IDE case
# (scripts/test-windows-ide32.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(GLOSSA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${GLOSSA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLOSSA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLOSSA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GLOSSA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
