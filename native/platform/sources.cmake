# Talking to the operating system: raw input, screens, session, windows and
# the mouse, the registry, signals. The portable files hold the rules; the
# _win files and the _x11/_unix files only talk to the system.
list(APPEND INKLY_NATIVE_SOURCES
    native/platform/RawInputHandler.h native/platform/RawInputHandler.cpp
    native/platform/ClickCounter.h
    native/platform/SessionChangeHandler.h native/platform/SessionChangeHandler.cpp
    native/platform/RegistryUtils.h native/platform/RegistryUtils.cpp
    native/platform/ScreenInfo.h native/platform/ScreenInfo.cpp
    native/platform/ScreenMonitor.h native/platform/ScreenMonitor.cpp
    native/platform/WindowHelper.h native/platform/WindowHelper.cpp
    native/platform/MouseHelper.h native/platform/MouseHelper.cpp
    native/platform/InkMirror.h native/platform/InkMirror.cpp
    native/platform/InkPieceWindow.h native/platform/InkPieceWindow.cpp
    native/platform/PictureHelper.h native/platform/PictureHelper.cpp
    native/platform/HotkeyHandler.h native/platform/HotkeyHandler.cpp
)
list(APPEND INKLY_NATIVE_WIN_SOURCES
    native/platform/Win32Core.h native/platform/Win32Core_win.cpp
    native/platform/RawInputHandler_win.cpp
    native/platform/SessionChangeHandler_win.cpp
    native/platform/RegistryUtils_win.cpp
    native/platform/ScreenMonitor_win.cpp
    native/platform/WindowHelper_win.cpp
    native/platform/PictureHelper_win.cpp
    native/platform/HotkeyHandler_win.cpp
)
list(APPEND INKLY_NATIVE_LINUX_SOURCES
    native/platform/X11Display.h native/platform/X11Display.cpp
    native/platform/RawInputHandler_x11.cpp
    native/platform/SessionChangeHandler_unix.cpp
    native/platform/UnixSignalWatcher.h native/platform/UnixSignalWatcher.cpp
    native/platform/RegistryUtils_x11.cpp
    native/platform/ScreenMonitor_x11.cpp
    native/platform/WindowHelper_x11.cpp
    native/platform/PictureHelper_x11.cpp
    native/platform/HotkeyHandler_x11.cpp
)
# Built where the Wayland client library and the protocols are found.
set(INKLY_NATIVE_WAYLAND_SOURCES
    native/platform/LayerShellClient.h native/platform/LayerShellClient.cpp
)
