# Native sources of the module library. Portable files hold the rules; the
# _win files and the _x11/_unix files only talk to the operating system.
set(INKLY_NATIVE_SOURCES
    native/QmlSingleton.h
    native/CliConstants.h native/CliConstants.cpp
    native/AppController.h native/AppController.cpp
    native/StartUp.h native/StartUp.cpp
    native/SingletonPublisher.h native/SingletonPublisher.cpp
    native/DrawingStore.h native/DrawingStore.cpp
    native/DrawItemCodec.h native/DrawItemCodec.cpp
    native/StoredDrawItem.h
    native/DrawingFileReader.h native/DrawingFileReader.cpp
    native/RawInputHandler.h native/RawInputHandler.cpp native/ClickCounter.h
    native/SessionChangeHandler.h native/SessionChangeHandler.cpp
    native/SettingsStore.h native/SettingsStore.cpp
    native/AutoStartHelper.h native/AutoStartHelper.cpp
    native/TallyWrapper.h native/TallyWrapper.cpp
    native/RenovaWrapper.h native/RenovaWrapper.cpp
    native/MaveloModulesGuard.h native/MaveloModulesGuard.cpp
    native/RegistryUtils.h native/RegistryUtils.cpp
    native/FileUtils.h native/FileUtils.cpp
    native/ScreenInfo.h native/ScreenInfo.cpp
    native/ScreenMonitor.h native/ScreenMonitor.cpp
    native/WindowHelper.h native/WindowHelper.cpp
    native/MouseHelper.h native/MouseHelper.cpp
    native/AppInstanceGuard.h native/AppInstanceGuard.cpp
    native/Grabbit.h native/Grabbit.cpp
    native/TrayIcon.h native/TrayIcon.cpp
    native/AppInfo.h native/AppInfo.cpp
)

# AppInfo reports the project's own version.
set_source_files_properties(native/AppInfo.cpp PROPERTIES
    COMPILE_DEFINITIONS "INKLY_PRODUCT_VERSION=\"${PROJECT_VERSION}\"")

# Compiled into the Windows build only.
set(INKLY_NATIVE_WIN_SOURCES
    native/Win32Core.h native/Win32Core_win.cpp
    native/AutoStartHelper_win.cpp
    native/RawInputHandler_win.cpp
    native/SessionChangeHandler_win.cpp
    native/TallyWrapper_win.cpp
    native/RenovaWrapper_win.cpp
    native/RegistryUtils_win.cpp
    native/ScreenMonitor_win.cpp
    native/WindowHelper_win.cpp
    native/AppInstanceGuard_win.cpp
)

# Compiled into the Linux (X11) build only.
set(INKLY_NATIVE_LINUX_SOURCES
    native/AutoStartHelper_x11.cpp
    native/RawInputHandler_x11.cpp
    native/SessionChangeHandler_unix.cpp
    native/TallyWrapper_unix.cpp
    native/RenovaWrapper_unix.cpp
    native/UnixSignalWatcher.h native/UnixSignalWatcher.cpp
    native/RegistryUtils_x11.cpp
    native/ScreenMonitor_x11.cpp
    native/WindowHelper_x11.cpp
    native/AppInstanceGuard_unix.cpp
)
