# The layer-shell mirror of the overlays in Wayland sessions: client code for
# the protocols is generated at build time from the XML files Debian ships
# (wayland-protocols, and the wlroots protocols inside the Rust crate's
# package). Without them the program builds without it and falls back to
# windows over the ink.
pkg_check_modules(WAYLAND_CLIENT IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_program(WAYLAND_SCANNER wayland-scanner)
file(GLOB INKLY_LAYER_SHELL_XML
    /usr/share/cargo/registry/wayland-protocols-*/wlr-protocols/unstable/wlr-layer-shell-unstable-v1.xml)
set(INKLY_XDG_SHELL_XML ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml)
set(INKLY_XDG_OUTPUT_XML ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml)

if(WAYLAND_CLIENT_FOUND AND WAYLAND_SCANNER AND INKLY_LAYER_SHELL_XML
   AND EXISTS ${INKLY_XDG_SHELL_XML} AND EXISTS ${INKLY_XDG_OUTPUT_XML})
    list(GET INKLY_LAYER_SHELL_XML -1 INKLY_LAYER_SHELL_XML)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
    file(MAKE_DIRECTORY ${generated})
    foreach(xml IN ITEMS ${INKLY_LAYER_SHELL_XML} ${INKLY_XDG_SHELL_XML} ${INKLY_XDG_OUTPUT_XML})
        get_filename_component(name ${xml} NAME_WE)
        add_custom_command(
            OUTPUT ${generated}/${name}-client-protocol.h ${generated}/${name}-protocol.c
            COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${generated}/${name}-client-protocol.h
            COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${generated}/${name}-protocol.c
            DEPENDS ${xml}
            VERBATIM)
        target_sources(inklycore PRIVATE ${generated}/${name}-client-protocol.h ${generated}/${name}-protocol.c)
    endforeach()
    enable_language(C)
    target_sources(inklycore PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/LayerShellClient.h ${CMAKE_CURRENT_LIST_DIR}/LayerShellClient.cpp)
    target_include_directories(inklycore PRIVATE ${generated})
    target_link_libraries(inklycore PUBLIC PkgConfig::WAYLAND_CLIENT)
    target_compile_definitions(inklycore PRIVATE INKLY_HAVE_LAYER_SHELL=1)
else()
    message(STATUS "Wayland layer shell not found: pointer mode under Wayland uses windows over the ink")
endif()
