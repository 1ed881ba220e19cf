# SPDX-License-Identifier: MIT
# The installed folder of a Windows build without windeployqt (a Qt cross-built with MinGW): the
# files a Qt Widgets program needs on a machine without Qt or MinGW, stripped, and the licence
# texts of what is shipped.

foreach(library Qt6::Core Qt6::Gui Qt6::Widgets)
    install(FILES $<TARGET_FILE:${library}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

if(MINGW)
    # The compiler's own runtime: the C++ library, the unwinder and the threads library.
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
            message(FATAL_ERROR "The MinGW runtime ${dll} was not found beside the compiler")
        endif()
        install(FILES "${path}" DESTINATION .)
    endforeach()
endif()

# Stripped after everything is in place (the ZIP's staging folder too).
if(CMAKE_STRIP)
    install(CODE "
        file(GLOB_RECURSE binaries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.exe\"
                                   \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
        foreach(binary \${binaries})
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${binary}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endforeach()")
endif()

# Licences. Qt is used under the LGPL 3; the DLLs are built from Debian's source package, which
# the text names so that a user can get the source and rebuild or replace them.
set(licenses "${CMAKE_BINARY_DIR}/licenses")
file(GLOB qt_licenses "${QT6_INSTALL_PREFIX}/licenses/*.txt")
set(qt_source "qtbase ${Qt6Core_VERSION}")
if(EXISTS "${QT6_INSTALL_PREFIX}/licenses/debian-source-package")
    file(READ "${QT6_INSTALL_PREFIX}/licenses/debian-source-package" qt_source)
    string(STRIP "${qt_source}" qt_source)
endif()
file(WRITE "${licenses}/Qt.txt"
"Glossa for Windows ships Qt ${Qt6Core_VERSION}: Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll,
platforms/qwindows.dll and styles/qwindowsvistastyle.dll. Qt is used under the GNU Lesser
General Public License version 3 (LGPL-3.0-only.txt, which builds on GPL-3.0-only.txt).

The Qt files are built, without changes of Glossa's, from Debian's source package ${qt_source}:
  https://deb.debian.org/debian/pool/main/q/qt6-base/
  (apt-get source qt6-base on Debian 12; Glossa's scripts/build-windows-deps.sh builds it)
The upstream source of the same version is
  https://download.qt.io/archive/qt/${Qt6Core_VERSION_MAJOR}.${Qt6Core_VERSION_MINOR}/${Qt6Core_VERSION}/submodules/
You may replace these DLLs with your own build of Qt ${Qt6Core_VERSION_MAJOR}.${Qt6Core_VERSION_MINOR}.
")
install(FILES "${licenses}/Qt.txt" ${qt_licenses} DESTINATION licenses)
if(MINGW)
    # libstdc++ and libgcc: GPL 3 with the GCC Runtime Library Exception; winpthreads: MIT-style.
    foreach(pair "gcc-mingw-w64-base|MinGW-GCC-runtime" "mingw-w64-common|MinGW-w64-winpthreads")
        string(REPLACE "|" ";" pair "${pair}")
        list(GET pair 0 package)
        list(GET pair 1 name)
        if(EXISTS "/usr/share/doc/${package}/copyright")
            install(FILES "/usr/share/doc/${package}/copyright" DESTINATION licenses
                    RENAME "${name}.txt")
        else()
            message(WARNING "The licence of the MinGW runtime (${package}) was not found; "
                            "add it to the licenses folder by hand")
        endif()
    endforeach()
endif()
if(EXISTS "${CMAKE_SOURCE_DIR}/LICENSE")
    install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" DESTINATION licenses RENAME Glossa.txt)
endif()
