# The application shell: entry point, start-up, controller, single instance,
# tray, autostart, command line and what the program says about itself.
list(APPEND INKLY_NATIVE_SOURCES
    native/app/QmlSingleton.h
    native/app/CliConstants.h native/app/CliConstants.cpp
    native/app/AppController.h native/app/AppController.cpp
    native/app/LogCategories.h native/app/LogCategories.cpp
    native/app/StartUp.h native/app/StartUp.cpp
    native/app/SingletonPublisher.h native/app/SingletonPublisher.cpp
    native/app/AutoStartHelper.h native/app/AutoStartHelper.cpp
    native/app/AppInstanceGuard.h native/app/AppInstanceGuard.cpp
    native/app/TrayIcon.h native/app/TrayIcon.cpp
    native/app/AppInfo.h native/app/AppInfo.cpp
    native/app/UiLanguage.h native/app/UiLanguage.cpp
)
list(APPEND INKLY_NATIVE_WIN_SOURCES
    native/app/AutoStartHelper_win.cpp
    native/app/AppInstanceGuard_win.cpp
)
list(APPEND INKLY_NATIVE_LINUX_SOURCES
    native/app/AutoStartHelper_x11.cpp
    native/app/AppInstanceGuard_unix.cpp
)
# The executable's own source; everything else lives in the module library.
set(INKLY_MAIN_SOURCE native/app/main.cpp)

# AppInfo reports the project's own versions.
set_source_files_properties(native/app/AppInfo.cpp PROPERTIES
    COMPILE_DEFINITIONS "INKLY_PRODUCT_VERSION=\"${PROJECT_VERSION}\";INKLY_FILE_VERSION=\"${INKLY_FILE_VERSION}\"")
