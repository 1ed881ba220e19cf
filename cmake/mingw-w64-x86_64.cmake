# Cross build for Windows x64 with Debian's MinGW-w64 (posix thread model), statically linked,
# so that the programs run under wine64 without any MinGW runtime DLL beside them.
# Use with -DGLOSSA_QT=OFF: only the Qt-free bridge and its Windows tests are built.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLOSSA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GLOSSA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLOSSA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLOSSA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GLOSSA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
