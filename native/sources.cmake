# Native sources of the module library. Portable files hold the rules; the
# _win files and the _x11/_unix files only talk to the operating system.
set(INKLY_NATIVE_SOURCES
    native/CliConstants.h native/CliConstants.cpp
    native/StartUp.h native/StartUp.cpp
    native/SingletonPublisher.h native/SingletonPublisher.cpp
    native/DrawingStore.h native/DrawingStore.cpp
    native/SettingsStore.h native/SettingsStore.cpp
    native/AutoStartHelper.h native/AutoStartHelper.cpp
    native/TallyWrapper.h native/TallyWrapper.cpp
)

# Compiled into the Windows build only.
set(INKLY_NATIVE_WIN_SOURCES
    native/AutoStartHelper_win.cpp
    native/TallyWrapper_win.cpp
)

# Compiled into the Linux (X11) build only.
set(INKLY_NATIVE_LINUX_SOURCES
    native/AutoStartHelper_x11.cpp
    native/TallyWrapper_unix.cpp
)
