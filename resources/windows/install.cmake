# The program's folder on Windows, one that runs where no Qt is installed:
# Inkly.exe with the licence and the Qt libraries in bin/ (the companion
# libraries go there too), Qt's plugins and the QML modules the documents
# import beside it, found through the qt.conf the deployment writes.
include(GNUInstallDirs)

install(TARGETS inkly RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${INKLY_LICENSE_FILE} DESTINATION ${CMAKE_INSTALL_BINDIR})

# MSVC's runtime libraries beside the program instead of the redistributable's
# installer, so that the folder runs as it is copied. MinGW's come with Qt's
# deployment.
if(MSVC)
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
    include(InstallRequiredSystemLibraries)
endif()

if(COMMAND qt_generate_deploy_qml_app_script)
    # Scans the documents for their imports, copies those QML modules and
    # runs windeployqt for the libraries and plugins.
    set(deploy_options NO_UNSUPPORTED_PLATFORM_ERROR)
    if(Qt6_VERSION VERSION_GREATER_EQUAL 6.5)
        if(MSVC)
            list(APPEND deploy_options NO_COMPILER_RUNTIME)
        endif()
        qt_generate_deploy_qml_app_script(TARGET inkly OUTPUT_SCRIPT deploy_script ${deploy_options})
    else()
        qt_generate_deploy_qml_app_script(TARGET inkly FILENAME_VARIABLE deploy_script ${deploy_options})
    endif()
    install(SCRIPT ${deploy_script})
    set(plugins_dir plugins)
else()
    # windeployqt alone, with its own layout: everything beside the program.
    find_program(INKLY_WINDEPLOYQT windeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" REQUIRED)
    set(deploy_flags "--qmldir \"${PROJECT_SOURCE_DIR}/src\"")
    if(MSVC)
        string(APPEND deploy_flags " --no-compiler-runtime")
    endif()
    install(CODE "
        execute_process(COMMAND \"${INKLY_WINDEPLOYQT}\" ${deploy_flags}
                \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:inkly>\"
            RESULT_VARIABLE result)
        if(result)
            message(FATAL_ERROR \"windeployqt failed: \${result}\")
        endif()
    ")
    set(plugins_dir ${CMAKE_INSTALL_BINDIR})
endif()

# Every icon is an SVG and the tray's is an ICO. windeployqt chooses image
# plugins by the Qt libraries the program links, which do not show that, so
# these are installed whatever it decided. Their packages sit beside QtGui's,
# which loads them only in some Qt builds.
find_package(Qt6 QUIET COMPONENTS Svg)
foreach(plugin IN ITEMS QSvgPlugin:imageformats QICOPlugin:imageformats QSvgIconPlugin:iconengines)
    string(REPLACE ":" ";" plugin "${plugin}")
    list(GET plugin 0 name)
    list(GET plugin 1 type)
    if(NOT TARGET Qt6::${name})
        find_package(Qt6${name} CONFIG QUIET PATHS ${Qt6Gui_DIR} NO_DEFAULT_PATH)
    endif()
    if(TARGET Qt6::${name})
        install(FILES $<TARGET_FILE:Qt6::${name}> DESTINATION ${plugins_dir}/${type})
    endif()
endforeach()
if(TARGET Qt6::Svg)
    install(FILES $<TARGET_FILE:Qt6::Svg> DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
