# Install layout. On Linux the program lives in its own directory with the
# licence the about window opens beside it (and room for the optional
# companion libraries); bin/inkly links to it, and the launcher, icons and
# metadata go where desktops look for them.
include(GNUInstallDirs)

set(INKLY_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/inkly)
# Qt comes from the system; the companion libraries are opened by path.
set_target_properties(inkly PROPERTIES INSTALL_RPATH "")
install(TARGETS inkly RUNTIME DESTINATION ${INKLY_PROGRAM_DIR})
install(FILES ${INKLY_LICENSE_FILE} DESTINATION ${INKLY_PROGRAM_DIR})
install(DIRECTORY resources/linux/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

configure_file(resources/linux/${INKLY_DESKTOP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/${INKLY_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${INKLY_DESKTOP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The link and the launcher name the final prefix, which is only known when
# installing (cmake --install --prefix), so the script writes them then.
install(CODE "
set(INKLY_DESKTOP_ID \"${INKLY_DESKTOP_ID}\")
set(INKLY_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_SOURCE_DIR}/resources/linux/${INKLY_DESKTOP_ID}.desktop.in\")
set(INKLY_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
set(INKLY_PROGRAM_DIR \"${INKLY_PROGRAM_DIR}\")
set(INKLY_DATADIR \"${CMAKE_INSTALL_DATADIR}\")
")
install(SCRIPT resources/linux/install-entries.cmake)
include(resources/linux/package.cmake)
