# The companion libraries of the suite: their guard, the statistics and
# updater wrappers, and the capture product's launcher.
list(APPEND INKLY_NATIVE_SOURCES
    native/suite/MaveloModulesGuard.h native/suite/MaveloModulesGuard.cpp
    native/suite/TallyWrapper.h native/suite/TallyWrapper.cpp
    native/suite/RenovaWrapper.h native/suite/RenovaWrapper.cpp
    native/suite/Grabbit.h native/suite/Grabbit.cpp
)
list(APPEND INKLY_NATIVE_WIN_SOURCES
    native/suite/TallyWrapper_win.cpp
    native/suite/RenovaWrapper_win.cpp
)
list(APPEND INKLY_NATIVE_LINUX_SOURCES
    native/suite/TallyWrapper_unix.cpp
    native/suite/RenovaWrapper_unix.cpp
)
