# What is kept across runs: the drawing file and its codec, settings, and the
# file handling both share.
list(APPEND INKLY_NATIVE_SOURCES
    native/storage/DrawingStore.h native/storage/DrawingStore.cpp
    native/storage/DrawItemCodec.h native/storage/DrawItemCodec.cpp
    native/storage/StoredDrawItem.h
    native/storage/DrawingFileReader.h native/storage/DrawingFileReader.cpp
    native/storage/SettingsStore.h native/storage/SettingsStore.cpp
    native/storage/FileUtils.h native/storage/FileUtils.cpp
)
list(APPEND INKLY_NATIVE_WIN_SOURCES native/storage/FileUtils_win.cpp)
list(APPEND INKLY_NATIVE_LINUX_SOURCES native/storage/FileUtils_unix.cpp)
