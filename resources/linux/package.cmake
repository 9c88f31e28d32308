# The Debian package (cpack -G DEB, or scripts/package): what the install
# rules put under /usr, with the dependencies dpkg-shlibdeps reads from the
# binary.
set(INKLY_PACKAGE_MAINTAINER "Zemworks <zemworks@users.noreply.github.com>"
    CACHE STRING "Maintainer field of the Debian package")

# Debian's own files: the copyright, and the changelog every package carries.
# The licence's terms as License.txt words them, below its two title lines.
file(READ ${INKLY_LICENSE_FILE} license)
string(FIND "${license}" "\n\n" title_end)
math(EXPR title_end "${title_end} + 2")
string(SUBSTRING "${license}" ${title_end} -1 license)
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REGEX REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " INKLY_LICENSE_TEXT " ${license}")
string(SUBSTRING "${INKLY_RELEASE_DATE}" 0 4 INKLY_RELEASE_YEAR)
execute_process(COMMAND date -R -u -d "${INKLY_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE INKLY_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(resources/linux/copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
configure_file(resources/linux/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
configure_file(resources/linux/inkly.1 ${CMAKE_BINARY_DIR}/debian/inkly.1 COPYONLY)
set(compressed ${CMAKE_BINARY_DIR}/debian/changelog.gz ${CMAKE_BINARY_DIR}/debian/inkly.1.gz)
add_custom_command(OUTPUT ${compressed}
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog ${CMAKE_BINARY_DIR}/debian/inkly.1
    DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog ${CMAKE_BINARY_DIR}/debian/inkly.1)
add_custom_target(inkly_debian_files ALL DEPENDS ${compressed})
# Only in the package: a user's own install has no use for them.
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/inkly COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_BINARY_DIR}/debian/inkly.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME inkly)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Zemworks)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draw on top of the screen")
set(CPACK_PACKAGE_CONTACT "${INKLY_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The launcher and the bin/inkly link are written at install time with the
# final prefix, so the staging directory must come through DESTDIR.
set(CPACK_SET_DESTDIR ON)
# The program and Debian's files; the list of installed files is only for
# scripts/uninstall.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/zemworks/inkly)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Inkly lays a transparent drawing window over every screen, with a small
always-on-top toolbar docked at a screen edge: pen, highlighter, shapes,
arrows, erasers, undo and redo. Switched off, the desktop works as usual
and the drawing is kept for the next time.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program loads by name at run time, which no library dependency
# shows: the QML modules its documents import (QtQuick, its Window types,
# Controls with their Templates, the drop-shadow effects) and those they
# import in turn (QtQml, its models and worker script), and the SVG image
# plugin that draws every icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qml6-module-qtquick, qml6-module-qtquick-window, \
qml6-module-qtquick-controls, qml6-module-qtquick-templates, qml6-module-qtqml, \
qml6-module-qtqml-workerscript, qml6-module-qtqml-models, \
qml6-module-qt5compat-graphicaleffects, libqt6svg6")
# The interface's Korean texts need a font that has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xcompmgr | picom")
include(CPack)
