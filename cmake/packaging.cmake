# SPDX-License-Identifier: MIT
# Installation and packages. The installed tree is <prefix>/bin/glossa and the preview module in
# <prefix>/lib/glossa, where the program looks for it from its own location; nothing of the build
# folder is needed afterwards. On Windows the tree is one folder: glossa.exe with the Qt and
# MinGW runtime DLLs, Qt's plugins and the licence texts beside it.

if(WIN32)
    set(GLOSSA_INSTALL_BINDIR .)
else()
    set(GLOSSA_INSTALL_BINDIR bin)
endif()
install(TARGETS glossa RUNTIME DESTINATION ${GLOSSA_INSTALL_BINDIR})
if(GLOSSA_HAVE_WEBENGINE)
    if(WIN32)
        install(TARGETS glossa_webpreview LIBRARY DESTINATION ${GLOSSA_INSTALL_BINDIR})
    else()
        install(TARGETS glossa_webpreview LIBRARY DESTINATION lib/glossa)
    endif()
endif()

# A Qt outside the system's library folders stays reachable from the installed files; the
# system's Qt adds nothing, and the build folder is never named.
set(installed_targets glossa)
if(GLOSSA_HAVE_WEBENGINE)
    list(APPEND installed_targets glossa_webpreview)
endif()
set_target_properties(${installed_targets} PROPERTIES INSTALL_RPATH_USE_LINK_PATH ON)

# Windows: the Qt libraries, plugins and the web engine's files go beside the executable; Qt's
# windeployqt does that where it exists (a native Qt), else the few files a Widgets program
# needs are installed one by one (a cross-built Qt has no windeployqt).
if(WIN32)
    find_program(GLOSSA_WINDEPLOYQT windeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
    if(GLOSSA_WINDEPLOYQT)
        set(deployed "\"\${CMAKE_INSTALL_PREFIX}/glossa.exe\"")
        if(GLOSSA_HAVE_WEBENGINE)
            string(APPEND deployed " \"\${CMAKE_INSTALL_PREFIX}/glossa_webpreview.dll\"")
        endif()
        install(CODE "execute_process(COMMAND \"${GLOSSA_WINDEPLOYQT}\" --no-translations
                                      ${deployed} COMMAND_ERROR_IS_FATAL ANY)")
    else()
        include(cmake/windowsdeploy.cmake)
    endif()
endif()

set(CPACK_PACKAGE_NAME glossa)
set(CPACK_PACKAGE_VENDOR "Glossa")
set(CPACK_PACKAGE_CONTACT "Glossa developers <glossa@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Edits the documentation comments of PureBasic procedures, beside the PureBasic IDE")
set(CPACK_PACKAGE_DESCRIPTION
    "Glossa finds the procedure header nearest the caret, reads the comment block above it into \
its fields, lets them be edited with character formatting and links, previews the comment as a \
page and writes the block back. Started by hand, it adds itself to the IDE's tools menu.")
set(CPACK_STRIP_FILES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "glossa-${PROJECT_VERSION}-win64")
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR TGZ DEB)
else()
    set(CPACK_GENERATOR TGZ)
endif()

# Debian: the packages of the libraries the two files link (dpkg-shlibdeps; the web engine's
# brings its helper process too), plus Qt's platform plugins, which are loaded by name and
# only recommended by the Qt libraries.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")

include(CPack)
